"""Where things are in Tarrow's windows: client sizes and click points in
pixels at 96 DPI (the designs' twips divided by 15)."""

PROGRAM = r"C:\Program Files\Tarrow\Tarrow.exe"

INTRO = (640, 480)
INTRO_START = (320, 432)
MAIN = (656, 504)
MAIN_RATE = (476, 188)  # Label3
MAIN_SETTINGS = (476, 252)  # Label6, and Label7 over it
MAIN_RESTORE = (476, 316)  # Label5
MAIN_HELP = (144, 452)  # Label8
MAIN_INFO = (76, 452)  # Label2
MAIN_EXIT = (24, 456)  # Label1
# The hot areas as client rectangles (left, top, width, height), by the name
# a screen reader reads, in their tab order.
MAIN_HOT_AREAS = {
    "Rate my current settings": (328, 168, 297, 41),  # Label3
    "Speed up shutdown": (328, 232, 297, 41),  # Label6, and Label7 over it
    "Restore original settings": (328, 296, 297, 41),  # Label5
    "Exit": (0, 432, 49, 49),  # Label1
    "About": (48, 432, 57, 41),  # Label2
    "Help": (120, 424, 49, 57),  # Label8
}
HELP = (500, 400)  # Form7
HELP_CLOSE = (16, 388)
INFO = (300, 239)  # Form3
INFO_CLOSE = (280, 12)
FILEE = (299, 299)
WORKING = (399, 200)
CHECK1 = (167, 136)
OPTION1 = (173, 94)
OPTION2 = (173, 110)
COMMAND1 = (260, 180)
COMMAND2 = (144, 180)
NOTICE = (270, 269)  # Form6
RATINGS = {"Star": (399, 99), "Fast": (400, 98), "Normal": (399, 98), "Slow": (400, 100)}
