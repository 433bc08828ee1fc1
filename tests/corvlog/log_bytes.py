"""Corvane log bytes for the corvlog tests: the header and one record,
Windows-1252 with CR LF, laid out as the log writer lays them out."""


def header(date="09.12.2026", start="05:25:17", duration="4", interval="400", clock="2.39", memory="768"):
    def aligned(t):
        return " " * max(0, 8 - len(t)) + t
    return ("Log vom %s          Startzeit:  %s\r\n\r\n" % (date, start) +
            "Dauer:        %s  Sekunden\r\n" % aligned(duration) +
            "Intervall:    %s  Millisekunden\r\n\r\n" % aligned(interval) +
            "CPU-Takt: %s GHz\r\n" % clock +
            "Verf\xfcgbarer Speicher: %s MB\r\n\r\n\r\n" % memory).encode("cp1252")


def record(time_text, name, cpu, ram):
    name = name.encode("cp1252") if isinstance(name, str) else name
    return (time_text.encode() + b"  " + name.ljust(35) + str(cpu).encode().rjust(3) + b"% CPU" +
            str(ram).encode().rjust(17) + b" KB RAM\r\n\r\n")
