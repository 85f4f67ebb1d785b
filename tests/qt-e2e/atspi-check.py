#!/usr/bin/python3
"""Reads a running pellora as a screen reader does, through AT-SPI, and plays
cards with real clicks (xdotool) at the places AT-SPI gives for the buttons,
and with the buttons' own actions.

    tests/qt-e2e/atspi-check.py PID TREE_FILE

PID is the pellora process, started on $DISPLAY with the accessibility bus of
$DBUS_SESSION_BUS_ADDRESS. Prints one "PASS name" or "FAIL name: why" line per
check (tests/qt-e2e/run counts them) and writes the tree as a reader meets it
to TREE_FILE. Exit status 2 when it cannot read the program at all.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# What a sighted user reads, line by line from the top and left to right.
RANKS_TOP_DOWN = ["2", "A", "K", "Q", "J", "10", "9", "8", "7", "6", "5", "4", "3"]
SUITS_LEFT_TO_RIGHT = ["黑桃", "红桃", "梅花", "方块"]
CARDS = ["大王", "小王"] + [suit + rank for rank in RANKS_TOP_DOWN for suit in SUITS_LEFT_TO_RIGHT]
BUTTONS = ["大王", "小王"] + RANKS_TOP_DOWN  # as the window stacks them
# Where each card's cell stands in the client area, in pixels at 96 dpi.
LINE_TOPS = [29, 64, 99, 133, 168, 203, 237, 272, 307, 341, 376, 411, 445, 480]
COLUMNS = [51, 74, 97, 120]
CELLS = [(51, 29, 16, 30), (120, 29, 16, 30)] + [
    (x, top, 16, 30) for top in LINE_TOPS[1:] for x in COLUMNS]

failed = 0


def report(name, ok, why=""):
    global failed
    if ok:
        print(f"PASS {name}")
    else:
        failed += 1
        print(f"FAIL {name}: {why}")


def differences(seen, expected):
    """The first few places where two lists differ, for a short report."""
    wrong = [f"{i + 1}: {got} not {want}" for i, (got, want) in enumerate(zip(seen, expected)) if got != want]
    if len(seen) != len(expected):
        wrong.insert(0, f"{len(seen)} entries not {len(expected)}")
    return "; ".join(wrong[:4]) + (f" and {len(wrong) - 4} more" if len(wrong) > 4 else "")


def give_up(why):
    print(f"atspi-check: {why}", file=sys.stderr)
    sys.exit(2)


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for app in desktop:
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    give_up(f"pellora (pid {pid}) did not appear on the accessibility bus within 10 s: "
            "is at-spi-bus-launcher running and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 set?")


def showing(obj):
    states = obj.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def extents(obj):
    e = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def describe(obj, depth):
    states = ", ".join(pyatspi.stateToString(s) for s in obj.getState().getStates()
                       if s in (pyatspi.STATE_SHOWING, pyatspi.STATE_FOCUSABLE, pyatspi.STATE_FOCUSED,
                                pyatspi.STATE_CHECKABLE, pyatspi.STATE_CHECKED))
    text = f"{'  ' * depth}{obj.getRoleName()} \"{obj.name}\""
    if obj.description:
        text += f" ({obj.description})"
    return text + (f" [{states}]" if states else "")


def tree(obj, depth=0):
    lines = [describe(obj, depth)]
    for child in obj:
        lines += tree(child, depth + 1)
    return lines


events = []


def pump_until(condition, seconds=3):
    """Lets AT-SPI deliver events while waiting for condition() to hold."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        if condition():
            return True
        time.sleep(0.02)
    return condition()


def press(button, mouse_button):
    x, y, w, h = extents(button)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", str(mouse_button)], check=True)


def main():
    if len(sys.argv) != 3:
        give_up("usage: atspi-check.py PID TREE_FILE")
    app = find_application(int(sys.argv[1]))
    if app.childCount != 1:
        give_up(f"pellora shows {app.childCount} windows on the accessibility bus, expected 1")
    window = app[0]
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        out.write("\n".join(tree(app)) + "\n")

    report("the window is a frame captioned Pellora", (window.getRole(), window.name) == (pyatspi.ROLE_FRAME, "Pellora"),
           f"{window.getRoleName()} \"{window.name}\"")
    groups = [c for c in window if c.getRole() != pyatspi.ROLE_PUSH_BUTTON and c.getRole() != pyatspi.ROLE_CHECK_BOX]
    if len(groups) != 1 or groups[0].name != "剩牌":
        give_up(f"expected one group \"剩牌\" beside the buttons, found {[describe(g, 0) for g in groups]}")
    pictures = list(groups[0])
    seen = [(p.getRoleName(), p.name) for p in pictures]
    expected = [("image", name) for name in CARDS]
    report("the 54 cards are images named for their cards, in reading order", seen == expected,
           differences(seen, expected))
    if len(pictures) != len(CARDS):
        give_up("without the 54 pictures nothing more can be checked")
    card = dict(zip(CARDS, pictures))

    wx, wy, _, _ = extents(window)
    places = [extents(p) for p in pictures]
    expected = [(wx + x, wy + y, w, h) for x, y, w, h in CELLS]
    report("each card's extents are its cell on the screen", places == expected, differences(places, expected))
    report("every card shows at start", all(showing(p) for p in pictures),
           "not showing: " + " ".join(n for n, p in card.items() if not showing(p)))

    buttons = [c for c in window if c.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    button = {b.name: b for b in buttons}
    names = [b.name for b in buttons]
    report("the buttons are named by their captions", names == BUTTONS + ["从新开始"], f"got {names}")
    if not set(BUTTONS) <= set(button):
        give_up("without the rank buttons nothing more can be played")
    full = {b: "剩 1 张" if b in ("大王", "小王") else "剩 4 张" for b in BUTTONS}

    def descriptions():
        return {b: button[b].description for b in BUTTONS}

    report("each rank and joker button tells what remains at start", descriptions() == full, f"got {descriptions()}")

    pyatspi.Registry.registerEventListener(lambda e: events.append((e.type, e.source.name, e.detail1)),
                                           "object:state-changed:showing",
                                           "object:property-change:accessible-description")

    # A left click plays K: the diamond, at the right end of its line, goes.
    press(button["K"], 1)
    pump_until(lambda: not showing(card["方块K"]) and button["K"].description == "剩 3 张")
    report("a played card is not showing, its neighbours are",
           not showing(card["方块K"]) and all(showing(card[s + "K"]) for s in ("黑桃", "红桃", "梅花")),
           "showing: " + " ".join(s + "K" for s in SUITS_LEFT_TO_RIGHT if showing(card[s + "K"])))
    report("after a play the button says 剩 3 张", button["K"].description == "剩 3 张", button["K"].description)
    pump_until(lambda: len(events) >= 2)
    report("a listening reader is told of both changes",
           ("object:state-changed:showing", "方块K", 0) in events and
           ("object:property-change:accessible-description", "K", 0) in events, f"events {events}")

    # A right press puts it back.
    events.clear()
    press(button["K"], 3)
    pump_until(lambda: showing(card["方块K"]) and button["K"].description == "剩 4 张")
    report("an undone card shows again", showing(card["方块K"]), "方块K still not showing")
    report("after an undo the button says 剩 4 张", button["K"].description == "剩 4 张", button["K"].description)
    pump_until(lambda: ("object:state-changed:showing", "方块K", 1) in events)
    report("a listening reader is told the card came back", ("object:state-changed:showing", "方块K", 1) in events,
           f"events {events}")

    # Several rows played, then the whole deck back.
    for name in ("大王", "2", "2", "A"):
        press(button[name], 1)
    played = {"大王": "剩 0 张", "2": "剩 2 张", "A": "剩 3 张"}
    pump_until(lambda: all(button[b].description == d for b, d in played.items()))
    report("the joker and the ranks played say what remains",
           all(button[b].description == d for b, d in played.items()), f"got {descriptions()}")
    hidden = ["大王", "梅花2", "方块2", "方块A"]  # in reading order
    report("the cards played are the ones not showing",
           [n for n, p in card.items() if not showing(p)] == hidden,
           "not showing: " + " ".join(n for n, p in card.items() if not showing(p)))
    press(button["从新开始"], 1)
    pump_until(lambda: all(showing(p) for p in pictures) and descriptions() == full)
    report("从新开始 shows every card again", all(showing(p) for p in pictures),
           "not showing: " + " ".join(n for n, p in card.items() if not showing(p)))
    report("after 从新开始 every button says its whole count", descriptions() == full, f"got {descriptions()}")
    # A reader's actions act at once, however quickly they come: four presses
    # on K and one on 大王 are five cards, then five put-backs bring them back.
    actions = {b: button[b].queryAction() for b in ("K", "大王")}
    offered = [(actions["K"].getName(i), actions["K"].getDescription(i)) for i in range(actions["K"].nActions)]
    report("a rank button offers to press and to put back, described in Chinese",
           offered[:2] == [("Press", "记下出了一张"), ("PutBack", "放回一张")], f"got {offered}")

    def act(name, times, which):
        for b, n in times:
            index = [actions[b].getName(i) for i in range(actions[b].nActions)].index(which)
            for _ in range(n):
                actions[b].doAction(index)

    if offered[:2] == [("Press", "记下出了一张"), ("PutBack", "放回一张")]:
        five = ["大王", "黑桃K", "红桃K", "梅花K", "方块K"]
        act("press", [("K", 4), ("大王", 1)], "Press")
        pump_until(lambda: [n for n, p in card.items() if not showing(p)] == five)
        report("five presses as a reader's actions play five cards", [n for n, p in card.items() if not showing(p)] == five,
               "not showing: " + " ".join(n for n, p in card.items() if not showing(p)))
        act("put back", [("K", 4), ("大王", 1)], "PutBack")
        pump_until(lambda: all(showing(p) for p in pictures) and descriptions() == full)
        report("five put-backs as a reader's actions bring all five back",
               all(showing(p) for p in pictures) and descriptions() == full,
               "not showing: " + " ".join(n for n, p in card.items() if not showing(p)) + f"; {descriptions()}")
    report("the buttons keep their captions as names",
           [b.name for b in window if b.getRole() == pyatspi.ROLE_PUSH_BUTTON] == BUTTONS + ["从新开始"] and
           [c.name for c in window if c.getRole() == pyatspi.ROLE_CHECK_BOX] == ["置顶"],
           "names changed")
    return 1 if failed else 0


sys.exit(main())
