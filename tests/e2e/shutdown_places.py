"""The registry places that Tarrow's speed-up writes, as the end-to-end tests
of its operations set them up: three of the first four made with values of
their own, the other two of them missing, the shutdown sound set and no
marker; and every pair read back as stored."""

HKCU_DESKTOP = r"HKCU\Control Panel\Desktop"
SOUND_KEY = r"HKCU\AppEvents\Schemes\Apps\.Default\SystemExit\.Current"
NAMES = ["HungAppTimeout", "PowerOffTimeOut", "WaitToKillAppTimeout", "WaitToKillServiceTimeout"]
SERVICE = ["WaitToKillServiceTimeout"]
PLACES = [
    (0, r"HKCU\Control Panel\Desktop", NAMES),
    (1, r"HKLM\SYSTEM\ControlSet001\Control", SERVICE),
    (2, r"HKLM\SYSTEM\ControlSet002\Control", SERVICE),
    (3, r"HKU\.DEFAULT\Control Panel\Desktop", NAMES),
    (4, r"HKU\S-1-5-19\Control Panel\Desktop", NAMES),
    (5, r"HKU\S-1-5-20\Control Panel\Desktop", NAMES),
    (6, r"HKU\S-1-5-21-299502267-362288127-839522115-1003\Control Panel\Desktop", NAMES),
    (7, r"HKU\S-1-5-18\Control Panel\Desktop", NAMES),
]
# What the tests put at the places they make; the others stay missing.
SETUP = {
    (0, "HungAppTimeout"): "5000",
    (0, "WaitToKillAppTimeout"): "20 000",
    (0, "WaitToKillServiceTimeout"): "2000",
    (1, "WaitToKillServiceTimeout"): "20000",
    (3, "HungAppTimeout"): "4000",
    (3, "PowerOffTimeOut"): "60",
    (3, "WaitToKillAppTimeout"): "200 ",
    (3, "WaitToKillServiceTimeout"): "3000",
}
MADE = {0, 1, 3}


def set_up(desktop):
    """Puts SETUP in place, the sound at "tada.wav" and no marker, and
    returns the indexes of the places whose key exists (MADE among the
    first four, for the tests to check)."""
    for index, key, names in PLACES:
        if index in MADE:
            for name in names:
                desktop.reg_delete(key, name)
        elif index in (1, 2):
            desktop.reg_delete(key.rsplit("\\", 1)[0])
    for (index, name), text in SETUP.items():
        desktop.reg_set(PLACES[index][1], name, text)
    desktop.reg_set_default(SOUND_KEY, "tada.wav")
    desktop.reg_delete(r"HKCU\Consol")
    desktop.reg_delete(HKCU_DESKTOP, "Beforce")
    return {index for index, key, _ in PLACES if desktop.reg_key_exists(key)}


def pairs(desktop):
    """Every pair as stored, by (place, name): its text, or None where absent."""
    found = {}
    for index, key, names in PLACES:
        values = desktop.reg_texts(key)
        for name in names:
            found[(index, name)] = values.get(name.lower())
    return found
