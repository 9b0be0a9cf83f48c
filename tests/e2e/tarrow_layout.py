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
