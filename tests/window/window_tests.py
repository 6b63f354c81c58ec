"""Window tests of the rendering layer through a real X display:
    python3 window_tests.py reference|input PATH_TO_WINDOW_PROBE
Exits 0 when every check holds, 1 (with the failed checks listed) otherwise."""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Test_Failure, Window_Session  # noqa: E402

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def near(pixel, want, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, want))


def test_reference_frame(probe):
    with Window_Session(probe, ["reference"], files=[FONT]) as session:
        session.wait_for_window()
        session.wait_for_output(r"^READY$")
        shot = session.wait_for_screen(lambda shot: shot.pixel(5, 5) == (32, 32, 32))

    background = (32, 32, 32)
    for point in [(5, 5), (1595, 895), (800, 200), (702, 402), (36, 100), (35, 54), (35, 138)]:
        check(near(shot.pixel(*point), background, 1), "background at %s is %s" % (point, shot.pixel(*point)))

    # The green bar: column 35, rows 55..137, apart from where the blue line crosses it.
    bar = [y for y in range(55, 138) if y not in (71, 72)]
    off = [(y, shot.pixel(35, y)) for y in bar if not near(shot.pixel(35, y), (0, 69, 14), 2)]
    check(not off, "green bar pixels differ: %s" % off[:5])
    check(near(shot.pixel(100, 72), (16, 34, 53), 12) or near(shot.pixel(100, 72), (0, 37, 73), 4),
          "blue line at (100,72) is %s" % (shot.pixel(100, 72),))

    # The outline: a ring of 944 pixels around "Play", as bright as white under the overlay.
    outline = lambda p: near(p, (77, 77, 77), 3)
    interior = (702, 402, 857, 477)
    region = (690, 390, 870, 490)
    ring = [pt for pt in shot.points(outline, region)
            if not (interior[0] <= pt[0] <= interior[2] and interior[1] <= pt[1] <= interior[3])]
    xs = [p[0] for p in ring]
    ys = [p[1] for p in ring]
    check(len(ring) == 944, "outline has %d pixels, not 944" % len(ring))
    check(ring and (min(xs), min(ys), max(xs), max(ys)) == (700, 400, 859, 479),
          "outline extent is %s" % ((min(xs), min(ys), max(xs), max(ys)) if ring else None,))

    # "Play": brighter than the background, inside the outline, about the library's size.
    text = lambda p: p[0] > 40
    box = shot.bounding_box(text, interior)
    count = shot.count(text, interior)
    check(box is not None and box[0] >= 704 and box[2] <= 853 and box[1] >= 406 and box[3] <= 478,
          "text bounding box %s" % (box,))
    check(box is not None and box[2] - box[0] > 120 and box[3] - box[1] > 55, "text too small: %s" % (box,))
    check(1800 <= count <= 3300, "text has %d bright pixels" % count)
    print("text: %d pixels in %s; outline: %d pixels" % (count, box, len(ring)))
    check(shot.count(lambda p: p[0] > 40, (0, 150, 690, 899)) == 0, "stray pixels left of the text")


def frames(session, start, key):
    """Values of `key` in the probe's frame reports from line `start` on."""
    values = []
    for line in session.output[start:]:
        fields = line.split()
        if fields and fields[0] == "frame" and key in fields:
            values.append(fields[fields.index(key) + 1:fields.index(key) + 3])
    return values


def test_input(probe):
    with Window_Session(probe, ["input"]) as session:
        session.wait_for_window()
        session.wait_for_output(r"^frame 3 ")

        start = len(session.output)
        session.key_hold("c", 0.15)
        held = session.wait_for_output(r"c_down 1", start=start)
        released = session.wait_for_output(r"c_down 0", start=held)
        session.wait_for_output(r"^frame ", start=released + 2)
        pressed = [v[0] for v in frames(session, start, "c_pressed")]
        down = [v[0] for v in frames(session, start, "c_down")]
        check(pressed.count("1") == 1, "IsKeyPressed(C) was true in %d frames" % pressed.count("1"))
        check(down.count("1") >= 3, "IsKeyDown(C) held for only %d frames" % down.count("1"))
        check(down and down[-1] == "0", "C still down after release")

        # Escape with the exit key cleared: pressed, but the window stays.
        start = len(session.output)
        session.key_hold("Escape")
        session.wait_for_output(r"esc_pressed 1", start=start)
        check(session.process.poll() is None, "Escape closed the window after SetExitKey(KEY_NULL)")

        start = len(session.output)
        session.click(200, 300)
        click_line = session.wait_for_output(r"click 1", start=start)
        check(re.search(r"mouse 200 300 xy 200 300$", session.output[click_line]) is not None,
              "click reported as: %s" % session.output[click_line])
        session.wait_for_output(r"^frame ", start=click_line + 3)
        clicks = [v[0] for v in frames(session, start, "click")]
        check(clicks.count("1") == 1, "IsMouseButtonPressed was true in %d frames" % clicks.count("1"))

        start = len(session.output)
        session.mouse_move(1234, 567)
        session.wait_for_output(r"mouse 1234 567 xy 1234 567$", start=start)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("reference", "input"):
        print(__doc__)
        return 2
    test = {"reference": test_reference_frame, "input": test_input}[sys.argv[1]]
    try:
        test(sys.argv[2])
    except Test_Failure as error:
        failures.append(str(error))
    for failure in failures:
        print("FAILED: " + failure)
    print("PASSED" if not failures else "%d check(s) failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
