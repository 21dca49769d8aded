// The program's windows: the main window's load step, the pools filled from SpecChar.txt beside the exe.
#include "windows/ZnakyFile.h"

#include "win32/App.h"
#include "win32/FileInput.h"

CharacterPools LoadZnakyFrom(const std::u16string& folder)
{
    CharacterPools znaky = FixedZnaky();
    // The file is closed again on every path, errors included.
    struct CloseAll {
        ~CloseAll() { FileCloseAll(); }
    } closeAll;
    FileOpenInput(1, JoinPath(folder, u"SpecChar.txt"));
    znaky.special = LineInput(1);
    return znaky;
}

CharacterPools LoadZnaky() { return LoadZnakyFrom(App::Path()); }
