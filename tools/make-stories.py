#!/usr/bin/env python3
"""Write the bundled story library stories/vtl.txt.

The file holds twelve stories of 24 lines each (lines 1 to 288):

     1  audio base name (the program appends ".MP3")
     2  title
     3  transcript, one line
     4  question 1, then 5-10: answers 1A-1C, each followed by its key
    11  question 2, then 12-17: answers 2A-2C with keys
    18  question 3, then 19-24: answers 3A-3C with keys

A key is "*" for the correct answer and an empty line for a wrong one.
Every line ends in CR LF.  Filler lines after line 288 bring the file to
exactly TARGET_SIZE bytes; the program refuses a story file whose size
lies outside MIN_SIZE..MAX_SIZE.

Usage: python3 tools/make-stories.py [OUTPUT]   (default: stories/vtl.txt)
Python 3 standard library only.
"""

import os
import sys

MIN_SIZE = 8860
MAX_SIZE = 8868
TARGET_SIZE = 8864
EOL = b"\r\n"
FILLER_NOTE = "; End of the story library. The lines below are filler only."
FILLER_WIDTH = 60

# Each story: (audio name, title, transcript,
#              [(question, [(answer, correct), x3]), x3])
STORIES = [
    ("STORY01",
     "Tarnwick library opens again",
     "The public library in Tarnwick opened again this morning after eight "
     "months of building work. The old wooden roof was replaced, and the "
     "reading room now has large windows and forty new computers. Head "
     "librarian Nora Pell said three hundred people came in the first hour. "
     "Children can borrow up to ten books at a time.",
     [("How long was the library closed?",
       [("Three months", False), ("Eight months", True), ("One year", False)]),
      ("What was replaced?",
       [("The roof", True), ("The front door", False), ("The floor", False)]),
      ("How many books can children borrow at a time?",
       [("Four", False), ("Eight", False), ("Ten", True)])]),

    ("STORY02",
     "Stavebridge bridge work ends",
     "Cars can cross the old stone bridge in Stavebridge again. Repairs "
     "began in March after a flood damaged two of its arches. Workers "
     "finished three weeks early because the weather was dry. The town "
     "council says buses will use the bridge from Monday, but heavy lorries "
     "must still take the road through Corrow.",
     [("What damaged the bridge?",
       [("A fire", False), ("A lorry", False), ("A flood", True)]),
      ("Why did the work end early?",
       [("The weather was dry", True), ("More workers came", False),
        ("The council paid more", False)]),
      ("Who must still use another road?",
       [("Buses", False), ("Heavy lorries", True), ("Bicycles", False)])]),

    ("STORY03",
     "Rain slows Merrowdale apples",
     "Farmers in the Merrowdale valley say heavy rain has slowed this "
     "year's apple harvest. It rained on twenty-two days in September, and "
     "the pickers could not work on wet ladders. The apples are large and "
     "sweet, but many are still on the trees. Farmer Owen Hale hopes for a "
     "sunny week so he can finish before the first frost.",
     [("What fruit are the farmers picking?",
       [("Pears", False), ("Apples", True), ("Grapes", False)]),
      ("On how many days did it rain in September?",
       [("Twelve", False), ("Twenty", False), ("Twenty-two", True)]),
      ("What does Owen Hale hope for?",
       [("A sunny week", True), ("More pickers", False),
        ("Higher prices", False)])]),

    ("STORY04",
     "School robots race in Fenwater",
     "Twelve school teams met in the sports hall in Fenwater on Saturday "
     "for the regional robot contest. Each robot had to carry a ball "
     "through a small maze in under two minutes. The winners were four "
     "girls from Lindenfold School. Their robot, Pebble, finished in "
     "fifty-eight seconds. The team will go to the national final in May.",
     [("How many teams took part?",
       [("Four", False), ("Twelve", True), ("Twenty", False)]),
      ("What was the winning robot called?",
       [("Rocket", False), ("Marble", False), ("Pebble", True)]),
      ("When is the national final?",
       [("In May", True), ("In June", False), ("In September", False)])]),

    ("STORY05",
     "New bus line for Drayhill",
     "From next Monday a new bus line, number fourteen, will run between "
     "Drayhill station and Orrin Bay hospital. Buses will leave every "
     "twenty minutes from six in the morning until eleven at night. The "
     "ride will take about half an hour. Tickets cost the same as on other "
     "town buses, and children under twelve travel free.",
     [("What is the number of the new line?",
       [("Fourteen", True), ("Four", False), ("Forty", False)]),
      ("How often will the buses leave?",
       [("Every ten minutes", False), ("Every hour", False),
        ("Every twenty minutes", True)]),
      ("Who can travel free?",
       [("Hospital workers", False), ("Students", False),
        ("Children under twelve", True)])]),

    ("STORY06",
     "Whale visits Kestrel Point",
     "Fishermen near Kestrel Point had a surprise on Tuesday morning when a "
     "large grey whale swam beside their boats for almost an hour. Experts "
     "think the young whale is looking for food. The coast guard asks boat "
     "owners to stay at least one hundred metres away and to go slowly in "
     "the bay until the whale leaves.",
     [("Who saw the whale?",
       [("Fishermen", True), ("Tourists", False), ("Children", False)]),
      ("Why is the whale in the bay, say experts?",
       [("It is lost", False), ("It is looking for food", True),
        ("It is ill", False)]),
      ("How far away should boats stay?",
       [("Ten metres", False), ("Fifty metres", False),
        ("One hundred metres", True)])]),

    ("STORY07",
     'Baker says "Patience, always"',
     "Mira Lund, who runs a small bakery in Hollin Cross, has won first "
     "prize at the county bread show. Her dark rye loaf beat more than "
     "sixty other breads. Mira starts work at four each morning. She says "
     "the secret is patience: her dough rests a whole day before it "
     "goes into the oven. Her prize is a new oven.",
     [("Where is Mira's bakery?",
       [("Kestrel Point", False), ("Hollin Cross", True),
        ("Fenwater", False)]),
      ("What kind of bread won?",
       [("A dark rye loaf", True), ("A white loaf", False),
        ("A fruit bread", False)]),
      ("How long does her dough rest?",
       [("One hour", False), ("Half a day", False), ("A whole day", True)])]),

    ("STORY08",
     "Power cut in Quillon",
     "Most homes in Quillon had no electricity for five hours last night. "
     "A tree fell on a power line in strong winds just after eight "
     "o'clock. Engineers worked in the rain and brought the power back at "
     "one in the morning. The hospital used its own generator. The power "
     "company will now check the trees near its lines.",
     [("How long was the power cut?",
       [("Two hours", False), ("Eight hours", False),
        ("Five hours", True)]),
      ("What caused the power cut?",
       [("A tree fell on a line", True), ("Lightning", False),
        ("A flood", False)]),
      ("How did the hospital get power?",
       [("From the town", False), ("From its own generator", True),
        ("From solar panels", False)])]),

    ("STORY09",
     "Bellmoor Falls marathon",
     "More than two thousand runners took part in the Bellmoor Falls "
     "marathon on Sunday. The race was won by local teacher Sam Tarrow in "
     "two hours and nineteen minutes, a new record for the course. The "
     "oldest runner was seventy-eight. Many people ran in funny costumes "
     "to collect money for the town's animal shelter.",
     [("What is the winner's job?",
       [("Teacher", True), ("Doctor", False), ("Student", False)]),
      ("How old was the oldest runner?",
       [("Sixty-eight", False), ("Eighty-seven", False),
        ("Seventy-eight", True)]),
      ("Who will get the money collected?",
       [("The hospital", False), ("The animal shelter", True),
        ("The school", False)])]),

    ("STORY10",
     "New park in Caddow",
     "A new park opened on Friday in Caddow, on the land of an old shoe "
     "factory. It has a pond, a playground and two thousand young trees "
     "planted by local families. The factory chimney was kept to remind "
     "people of the town's history. The park is open every day from seven "
     "until dark, and dogs are welcome on a lead.",
     [("What was on the land before?",
       [("A car park", False), ("A shoe factory", True),
        ("A station", False)]),
      ("Who planted the trees?",
       [("Students", False), ("Park workers", False),
        ("Local families", True)]),
      ("What was kept from the factory?",
       [("The chimney", True), ("The roof", False), ("The gate", False)])]),

    ("STORY11",
     'Museum shows a small ship',
     "The town museum in Lindenfold will show a small silver ship that is "
     "four hundred years old. It is on loan from a museum in the capital "
     "for six months. The ship is only thirty centimetres long, but it has "
     "tiny sails and twelve silver sailors. Entry to the museum is free on "
     "the first Sunday of every month.",
     [("What is the ship made of?",
       [("Silver", True), ("Gold", False), ("Wood", False)]),
      ("How long will the museum show it?",
       [("Six weeks", False), ("Six months", True), ("Six years", False)]),
      ("When is entry free?",
       [("Every Saturday", False), ("On weekdays", False),
        ("On the first Sunday", True)])]),

    ("STORY12",
     "Young chess champion",
     "The chess club in Orrin Bay has a new champion: nine-year-old Lily "
     "Marsh. She won all seven of her games at the club's spring "
     "tournament. Lily learned to play last year from her grandfather. The "
     "club meets in the community hall every Wednesday evening, and new "
     "players of all ages are welcome.",
     [("How old is Lily?",
       [("Seven", False), ("Nineteen", False), ("Nine", True)]),
      ("Who taught her to play?",
       [("Her teacher", False), ("Her grandfather", True),
        ("Her mother", False)]),
      ("When does the club meet?",
       [("Wednesday evenings", True), ("Saturday mornings", False),
        ("Friday nights", False)])]),
]


def fail(message):
    sys.exit("make-stories: " + message)


def check_text(text, where):
    if not text:
        fail(where + ": empty text")
    if "\r" in text or "\n" in text:
        fail(where + ": line break inside a field")
    if any(ord(c) < 32 or ord(c) > 126 for c in text):
        fail(where + ": only printable ASCII is allowed")


def story_lines(story, number):
    name, title, transcript, questions = story
    where = "story %d" % number
    check_text(name, where + " name")
    check_text(title, where + " title")
    check_text(transcript, where + " transcript")
    words = len(transcript.split())
    if not 40 <= words <= 60:
        fail("%s transcript has %d words (want 40 to 60)" % (where, words))
    if len(questions) != 3:
        fail(where + ": needs three questions")
    lines = [name, title, transcript]
    for qn, (question, answers) in enumerate(questions, 1):
        check_text(question, "%s question %d" % (where, qn))
        if len(answers) != 3:
            fail("%s question %d: needs three answers" % (where, qn))
        if sum(1 for _, ok in answers if ok) != 1:
            fail("%s question %d: needs exactly one correct answer"
                 % (where, qn))
        lines.append(question)
        for answer, ok in answers:
            check_text(answer, "%s question %d answer" % (where, qn))
            lines.append(answer)
            lines.append("*" if ok else "")
    assert len(lines) == 24
    return lines


def filler_lines(room):
    """Lines (without endings) whose encoded size with CR LF is room."""
    lines = []
    note = FILLER_NOTE.encode("ascii")
    if room >= len(note) + 2 * len(EOL):
        lines.append(FILLER_NOTE)
        room -= len(note) + len(EOL)
    while room > 0:
        if room < len(EOL):
            # One stray byte left: lengthen the previous filler line.
            if not lines:
                fail("cannot pad a single byte")
            lines[-1] += "="
            room -= 1
            continue
        width = min(FILLER_WIDTH, room - len(EOL))
        if room - (width + len(EOL)) == 1 and width > 0:
            width -= 1  # leave two bytes for a final empty line instead
        lines.append("=" * width)
        room -= width + len(EOL)
    return lines


def build():
    if len(STORIES) != 12:
        fail("need exactly twelve stories, have %d" % len(STORIES))
    names = [s[0] for s in STORIES]
    if len(set(names)) != len(names):
        fail("audio names must be unique")
    lines = []
    for number, story in enumerate(STORIES, 1):
        lines.extend(story_lines(story, number))
    assert len(lines) == 288
    body = b"".join(line.encode("ascii") + EOL for line in lines)
    if len(body) > MIN_SIZE:
        fail("the 288 story lines take %d bytes, more than %d; "
             "shorten the stories" % (len(body), MIN_SIZE))
    pad = filler_lines(TARGET_SIZE - len(body))
    data = body + b"".join(line.encode("ascii") + EOL for line in pad)
    if len(data) != TARGET_SIZE:
        fail("internal error: built %d bytes" % len(data))
    if 288 + len(pad) > 385:
        fail("too many filler lines")
    return data, len(body), len(pad)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        root, "stories", "vtl.txt")
    data, body, pad = build()
    with open(out, "wb") as f:
        f.write(data)
    print("%s: %d bytes (stories %d bytes in 288 lines, %d filler lines)"
          % (out, len(data), body, pad))


if __name__ == "__main__":
    main()
