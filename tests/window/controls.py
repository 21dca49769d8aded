"""The child controls of zorkMIX's windows: their indexes in creation (tab) order and their IDs.
The forms number their controls from a first ID in creation order, so index i has ID first + i."""

# Main window.
(LBL_PASSWD, PASSWD, LBL_LENGTH, MINIMUM, MAXIMUM, LETTERS, LOWER, UPPER, BOTH, DIGITS, SPECIAL, FIRST,
 GENERATE, CANCEL, ABOUT, EN, CS, FRAME, DASH) = range(19)
MAIN_COUNT = DASH + 1
MAIN_FIRST_ID = 1000

# About window.
ABOUT_IMAGE, ABOUT_TITLE_LINE, ABOUT_COPYRIGHT, ABOUT_OK, ABOUT_MAIL, ABOUT_WEB = range(6)
ABOUT_COUNT = ABOUT_WEB + 1
ABOUT_FIRST_ID = 2000


def main_id(index):
    return MAIN_FIRST_ID + index
