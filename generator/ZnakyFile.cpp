#include "generator/ZnakyFile.h"

#include "runtime/App.h"
#include "runtime/FileInput.h"

Znaky LoadZnakyFrom(const std::u16string& folder)
{
    Znaky znaky = FixedZnaky();
    // The file is closed again on every path, errors included.
    struct CloseAll {
        ~CloseAll() { FileCloseAll(); }
    } closeAll;
    FileOpenInput(1, JoinPath(folder, u"SpecChar.txt"));
    znaky.special = LineInput(1);
    return znaky;
}

Znaky LoadZnaky() { return LoadZnakyFrom(App::Path()); }
