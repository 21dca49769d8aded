"""The IDs of the controls of zorkMIX's windows, read from windows/ControlIds.h (copied beside this
file into the native checks' folder): ControlId::kLblPasswd there is LBL_PASSWD here."""
import os
import re

_HERE = os.path.dirname(os.path.abspath(__file__))
_HEADER = next(p for p in (os.path.join(_HERE, "ControlIds.h"), os.path.join(_HERE, "..", "..", "windows",
                                                                             "ControlIds.h")) if os.path.exists(p))
with open(_HEADER, encoding="utf-8") as _f:
    _WINDOWS = dict(re.findall(r"enum (\w+) : int \{(.*?)\};", _f.read(), re.S))
# The IDs of the main window's and of the About window's controls, by name.
MAIN_IDS, ABOUT_IDS = ({re.sub(r"(?<=.)(?=[A-Z])", "_", name).upper(): int(value)
                        for name, value in re.findall(r"^\s*k(\w+) = (\d+),", _WINDOWS[window], re.M)}
                       for window in ("Main", "About"))
globals().update(MAIN_IDS, **ABOUT_IDS)
NAMES = {id: name for name, id in {**MAIN_IDS, **ABOUT_IDS}.items()}

