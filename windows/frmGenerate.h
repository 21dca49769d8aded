#pragma once
// The program's windows: the main window.
#include "generator/Generator.h"
#include "win32/Forms.h"
#include "texts/Popisky.h"
#include "windows/ControlIds.h"
#include "windows/frmAbout.h"

// The main window: options, length range, Generate, language labels, Cancel and About.
class frmGenerate final : public Form {
public:
    ~frmGenerate() override { Unload(); }

private:
    Design GetDesign() const override;
    void CreateControls() override;
    void Form_Load() override;

    void Texty() { ::Texty(Popisky); }
    void Popis(int16_t Jazyk);
    GeneratorInputs ReadInputs();

    void chkParametr_Click(int16_t Index);
    void cmdGenerate_Click();
    void cmdStorno_Click() { Unload(); }
    void cmdAbout_Click() { about_.ShowModal(*this); }
    void lblJazyk_Click(int16_t Index);

    ControlArray<Label, 0, 2, ControlId::kLblPasswd> lblInfo;
    TextBox txtPasswd;
    ControlArray<TextBox, 0, 1, ControlId::kMinimum> txtZnaky;
    ControlArray<CheckBox, 0, 3, ControlId::kLetters> chkParametr;
    ControlArray<OptionButton, 0, 2, ControlId::kLower> optZnaky;
    CommandButton cmdGenerate;
    CommandButton cmdStorno;
    CommandButton cmdAbout;
    ControlArray<Label, 0, 1, ControlId::kCs> lblJazyk;
    Frame frmParametry;

    CharacterPools Znaky;
    PopiskyTable Popisky;
    int32_t counter_ = 0;  // loop counter shared by the option rule and the generator
    frmAbout about_;       // its window is created on first showing
};
