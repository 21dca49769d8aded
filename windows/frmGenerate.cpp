// The program's windows: the main window.
#include "windows/frmGenerate.h"

#include <utility>

#include "portable/Random.h"
#include "windows/Module1.h"
#include "windows/ZnakyFile.h"

namespace {

constexpr TwipsRect kFrameBox = {240, 600, 4695, 1935};

// Controls inside the frame are laid out from the frame's top-left corner.
constexpr TwipsRect InFrame(TwipsRect r) { return {r.left + kFrameBox.left, r.top + kFrameBox.top, r.width, r.height}; }

}  // namespace

Form::Design frmGenerate::GetDesign() const { return {u"zorkMIX", 6600, 2745}; }

void frmGenerate::CreateControls()
{
    using namespace ControlId;
    Add(lblInfo, kLblPasswd, u"", {360, 255, 1695, 255});
    Add(txtPasswd, kPasswd, u"", {1680, 240, 1935, 240});
    SetFont(txtPasswd, FontKind::Password);
    txtPasswd.KeepCopiesPrivate();
    Add(lblInfo, kLblLength, u"", InFrame({240, 380, 2295, 255}));
    Add(txtZnaky, kMinimum, u"6", InFrame({2040, 360, 495, 240}));
    Add(txtZnaky, kMaximum, u"10", InFrame({2880, 360, 495, 240}));
    Add(chkParametr, kLetters, u"", InFrame({240, 720, 2775, 255}), &frmGenerate::chkParametr_Click);
    Add(optZnaky, kLower, u"", InFrame({480, 960, 1695, 255}));
    Add(optZnaky, kUpper, u"", InFrame({1920, 960, 1455, 255}));
    Add(optZnaky, kBoth, u"", InFrame({3240, 960, 1335, 255}));
    Add(chkParametr, kDigits, u"", InFrame({240, 1320, 2055, 255}), &frmGenerate::chkParametr_Click);
    Add(chkParametr, kSpecial, u"", InFrame({2040, 1320, 2295, 255}), &frmGenerate::chkParametr_Click);
    Add(chkParametr, kFirst, u"", InFrame({240, 1560, 2775, 255}), &frmGenerate::chkParametr_Click);
    Add(cmdGenerate, kGenerate, u"", {5280, 240, 1095, 340}, &frmGenerate::cmdGenerate_Click);
    Add(cmdStorno, kCancel, u"", {5280, 720, 1095, 340}, &frmGenerate::cmdStorno_Click);
    Add(cmdAbout, kAbout, u"", {5280, 1320, 1095, 340}, &frmGenerate::cmdAbout_Click);
    Add(lblJazyk, kEn, u"EN", {6060, 2400, 300, 210}, &frmGenerate::lblJazyk_Click,
        SS_CENTER | SS_NOPREFIX | SS_NOTIFY);
    Add(lblJazyk, kCs, u"CS", {6060, 2400, 300, 210}, &frmGenerate::lblJazyk_Click,
        SS_CENTER | SS_NOPREFIX | SS_NOTIFY);
    Add(frmParametry, kFrame, u"", kFrameBox);
    Add(lblInfo, kDash, u"-", InFrame({2685, 360, 45, 195}), SS_NOPREFIX);
    lblInfo(2).AutoSize();

    chkParametr(0).SetValue(1);
    chkParametr(1).SetValue(1);
    optZnaky(0).SetValue(true);
    for (int16_t i = lblJazyk.LBound(); i <= lblJazyk.UBound(); ++i) {
        lblJazyk(i).foreColor = COLOR_HIGHLIGHTTEXT;
        lblJazyk(i).backColor = COLOR_HIGHLIGHT;
    }
    SetDefault(cmdGenerate);
    SetCancel(cmdStorno);
}

void frmGenerate::Form_Load()
{
    Texty();
    NastavOkraj(txtPasswd.hWnd());
    NastavOkraj(txtZnaky(0).hWnd());
    NastavOkraj(txtZnaky(1).hWnd());
    Znaky = LoadZnaky();
    lblJazyk_Click(0);
}

void frmGenerate::Popis(int16_t Jazyk)
{
    const std::pair<int16_t, Control*> targets[] = {
        {Popisek::Parameters, &frmParametry},      {Popisek::Letters, &chkParametr(0)},
        {Popisek::LowercaseOnly, &optZnaky(0)},    {Popisek::UppercaseOnly, &optZnaky(1)},
        {Popisek::BothCases, &optZnaky(2)},        {Popisek::Digits, &chkParametr(1)},
        {Popisek::Special, &chkParametr(2)},       {Popisek::FirstLetter, &chkParametr(3)},
        {Popisek::LengthLabel, &lblInfo(1)},       {Popisek::PasswordLabel, &lblInfo(0)},
        {Popisek::Generate, &cmdGenerate},         {Popisek::Cancel, &cmdStorno},
        {Popisek::About, &cmdAbout},
    };
    for (const auto& [entry, control] : targets) control->SetCaption(std::u16string(Popisky[entry][Jazyk]));
    TextBox* const boxes[] = {&txtPasswd, &txtZnaky(0), &txtZnaky(1)};
    for (int i = 0; i < 3; ++i) boxes[i]->SetAccessibleName(std::u16string(kTextBoxNames[i][Jazyk]));
}

void frmGenerate::lblJazyk_Click(int16_t Index)
{
    Popis(Index);
    lblJazyk(Index).SetVisible(false);
    lblJazyk(NextLanguageLabel(Index, lblJazyk.LBound(), lblJazyk.UBound())).SetVisible(true);
}

// Letters on or off enables the case options and the first-character rule; values stay.
void frmGenerate::chkParametr_Click(int16_t Index)
{
    if (Index != 0) return;
    bool on = chkParametr(0).Value() == 1;
    int16_t upper = optZnaky.UBound();
    for (counter_ = optZnaky.LBound(); counter_ <= upper; ++counter_)
        optZnaky(static_cast<int16_t>(counter_)).SetEnabled(on);
    chkParametr(3).SetEnabled(on);
}

GeneratorInputs frmGenerate::ReadInputs()
{
    GeneratorInputs in;
    in.minimumText = txtZnaky(0).Text();
    in.maximumText = txtZnaky(1).Text();
    in.letters = chkParametr(0).Value();
    in.lowercaseOnly = optZnaky(0).Value();
    in.uppercaseOnly = optZnaky(1).Value();
    in.bothCases = optZnaky(2).Value();
    in.digits = chkParametr(1).Value();
    in.special = chkParametr(2).Value();
    in.firstLetterRule = chkParametr(3).Value();
    in.firstLetterRuleEnabled = chkParametr(3).Enabled();
    return in;
}

// Attempts repeat while the first-character rule rejects the password shown.
void frmGenerate::cmdGenerate_Click()
{
    GeneratorInputs in;
    do {
        in = ReadInputs();
        txtPasswd.SetText(GenerateAttempt(in, Znaky, ProcessRandom(), counter_));
    } while (NeedsAnotherAttempt(in, txtPasswd.Text()));
}
