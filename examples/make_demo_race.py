#!/usr/bin/env python3
"""Writes demo-race.cap: about a minute of a meeting that brings up every
commentator screen. Run it again after changing the script:

    python3 examples/make_demo_race.py > examples/demo-race.cap
"""

SENDER = "127.0.0.1:40000"
records = []


def at(seconds, packet):
    records.append((seconds * 1000.0, packet))


RIDERS = [
    ("12", "A. RIDER", "GBR"), ("7", "M. VOSS", "GER"), ("21", "L. MARTIN", "FRA"),
    ("3", "K. TANAKA", "JPN"), ("44", "J. OKAFOR", "NGR"), ("18", "P. SILVA", "BRA"),
    ("9", "T. NOVAK", "CZE"), ("30", "R. BELLINI", "ITA"),
]

# Heartbeats all through the meeting.
for s in range(0, 61, 10):
    at(s + 0.05, "{heartbeat}+{eop}")

# Keirin heat: a new heat, then its lines one by one.
at(0.5, "{scratch}+{clr}+{eop}")
at(1.0, "{scratch}+{title}Keirin Men Round 1 Heat 2{time}{spd}{eop}")
for i, (bib, name, nat) in enumerate(RIDERS[:6]):
    at(1.6 + 0.4 * i, "{scratch}+{list}%d{rank}{bib}%s{name}%s{nat}%s{status}{laps}6{eop}" % (i, bib, name, nat))
at(5.0, "{scratch}+{title}Keirin Men Round 1 Heat 2 - Result{time}10.512{spd}68.49{eop}")
for i, (bib, name, nat) in enumerate(RIDERS[:6]):
    at(5.3 + 0.3 * i, "{scratch}+{list}%d{rank}%d{bib}%s{name}%s{nat}%s{status}{laps}0{eop}" % (i, i + 1, bib, name, nat))

# Omnium: reset, shape, headings (an empty heading hides its column), lines.
at(8.0, "{omnium}+{clr}+{eop}")
at(8.4, "{omnium}+{lines}9{cols}8{line}0{0}Rank{1}Bib{2}Name{3}Nat{4}Scratch{5}Tempo{6}Elim{7}Points{eop}")
points = [142, 131, 120, 118, 101, 97, 90, 84]
for i, (bib, name, nat) in enumerate(RIDERS):
    at(8.8 + 0.5 * i, "{omnium}+{line}%d{0}%d{1}%s{2}%s{3}%s{4}%d{5}%d{6}%d{7}%d{eop}"
       % (i + 1, i + 1, bib, name, nat, 40 - 2 * i, 38 - 2 * i, 36 - 2 * i, points[i]))

# Points race: standings, sprints, the standings again.
at(13.5, "{ptsrace}+{clr}+{eop}")
def standings(t, order):
    for p, (bib, name, nat, pts, laps) in enumerate(order):
        at(t + 0.2 * p, "{ptsrace}+{standings}%d{rnk}%d{bib}%s{name}%s{status}{pts}%d{laps}%s{vics}0{secs}0{final}{eop}"
           % (p, p + 1, bib, name, pts, laps))
first = [(b, n, c, 0, "") for b, n, c in RIDERS]
standings(14.0, first)
sprint_points = [5, 3, 2, 1, 0]
for s in range(4):
    names = [RIDERS[(s + k) % len(RIDERS)] for k in range(5)]
    fields = "".join("{name%d}%s %s{pts%d}%d" % (k + 1, b, n, k + 1, sprint_points[k])
                     for k, (b, n, _) in enumerate(names))
    at(16.0 + 2.0 * s, "{ptsrace}+{sprint}%d{sname}Sprint %d - lap %d%s{eop}" % (s, s + 1, 40 - 10 * s, fields))
later = [("7", "M. VOSS", "GER", 13, "+1"), ("12", "A. RIDER", "GBR", 11, ""),
         ("21", "L. MARTIN", "FRA", 8, ""), ("3", "K. TANAKA", "JPN", 6, ""),
         ("44", "J. OKAFOR", "NGR", 3, ""), ("18", "P. SILVA", "BRA", 2, ""),
         ("9", "T. NOVAK", "CZE", 1, ""), ("30", "R. BELLINI", "ITA", 0, "-1")]
standings(24.5, later)

# Sprint heats: a four-racer heat, then a two-racer one.
at(27.5, "{sprintf}+{title}Sprint Women 1/4 Final Heat 1{rnk1}1{r1}12 K. ANDERSEN DEN{rnk2}2{r2}5 S. MORENO ESP"
         "{rnk3}3{r3}17 H. LINDQVIST SWE{rnk4}4{r4}2 E. DUBOIS FRA{et}11.204{spdk}64.26{spdm}39.93{eop}")
at(31.0, "{sprintf}+{title}Sprint Women 1/4 Final Heat 2{rnk1}1{r1}8 N. IVANOVA BUL{rnk2}2{r2}23 C. WALSH IRL"
         "{et}10.842{spdk}66.41{spdm}41.27{eop}")

# Time trial: standings, then both racers on the track, lap by lap.
at(34.0, "{tt}+{clr}+{eop}")
tt_standings = [("1", "A. RIDER", "1:01.342", ""), ("2", "M. VOSS", "1:01.870", "+0.528"),
                ("3", "L. MARTIN", "1:02.115", "+0.773")]
for p, (rnk, name, score, dif) in enumerate(tt_standings):
    at(34.3 + 0.2 * p, "{tt}+{standings}%d{rnk}%s{name}%s{score}%s{dif}%s{eop}" % (p, rnk, name, score, dif))
laps = 4
for lap in range(1, laps + 1):
    togo = laps - lap
    for side, (name, base) in enumerate([("K. TANAKA", 15.1), ("J. OKAFOR", 15.3)]):
        t = base * lap
        time = "%d:%06.3f" % (int(t) // 60, t % 60) if t >= 60 else "%.3f" % t
        diff = "+%.3f" % (0.2 * lap * (1 if side else -1)) if side else "-%.3f" % (0.1 * lap)
        ltg = "".join("{ltg%d}%d" % (i, laps - i + 1) for i in range(1, lap + 1))
        at(35.0 + 3.0 * lap + 0.4 * side,
           "{tt}+{tick-hit}%d{crs}%d{stack}0{name}%s{time}%s{diff}%s{rank}%d{spdk}%.2f{ltg}%d{dist}%dm%s{eop}"
           % (lap, side, name, time, diff, side + 1, 59.5 - side, togo, 250 * lap, ltg))
        nets = "".join("{n%d}%s{d%d}%s" % (i, "%.3f" % (base + 0.05 * i), i, "+%.3f" % (0.01 * i))
                       for i in range(1, lap + 1))
        at(35.2 + 3.0 * lap + 0.4 * side, "{tt}+{audit}%d{crs}%d{stack}0%s{eop}" % (lap, side, nets))
at(49.5, "{tt}+{standings}1{rnk}2{name}K. TANAKA{score}1:00.400{dif}-0.942{eop}")

# A text frame for the boards, as the RERadu typewriter sends it.
at(52.0, "{reradu}+{data},WELCOME TO THE,NATIONAL VELODROME,,NEXT: KEIRIN FINAL,19:45,,,,")
at(56.0, "{reradu}+{data},KEIRIN FINAL,1 A. RIDER GBR,2 M. VOSS GER,3 L. MARTIN FRA,,,,,")

# The meeting ends on a full scratch race result, so the last screen shows
# a whole field.
FIELD = RIDERS + [
    ("14", "D. KOWALSKI", "POL"), ("27", "S. JENSEN", "DEN"), ("5", "F. MORENO", "ESP"),
    ("33", "G. HUGHES", "AUS"), ("11", "B. VAN DIJK", "NED"), ("22", "O. LARSEN", "NOR"),
    ("16", "C. DUPONT", "BEL"), ("8", "Y. SATO", "JPN"), ("41", "E. WALSH", "IRL"),
    ("2", "M. ROSSI", "ITA"), ("19", "A. PETROV", "BUL"), ("25", "H. MULLER", "SUI"),
    ("36", "N. KIM", "KOR"), ("6", "I. HORVAT", "CRO"), ("29", "R. COSTA", "POR"),
    ("13", "L. NIELSEN", "DEN"),
]
at(58.5, "{scratch}+{title}Scratch Race Men Final - Result{time}9:58.214{spd}54.12{eop}")
for i, (bib, name, nat) in enumerate(FIELD):
    status = "DNF" if i >= len(FIELD) - 2 else ""
    laps = "" if status else ("+1" if i == 0 else "0" if i < 20 else "-1")
    at(58.7 + 0.05 * i, "{scratch}+{list}%d{rank}%s{bib}%s{name}%s{nat}%s{status}%s{laps}%s{eop}"
       % (i, "" if status else str(i + 1), bib, name, nat, status, laps))

print("# commentator-tap capture: offset_ms sender payload")
for offset, packet in sorted(records, key=lambda r: r[0]):
    escaped = packet.replace("\\", "\\\\")
    print("%.1f %s %s" % (offset, SENDER, escaped))
