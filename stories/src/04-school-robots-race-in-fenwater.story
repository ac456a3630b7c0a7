title: School robots race in Fenwater
audio: 04-school-robots-race-in-fenwater.wav
transcript:
Twelve school teams met in the sports hall in Fenwater on Saturday for the regional robot contest.
Each robot had to carry a ball through a small maze in under two minutes.
The winners were four girls from Lindenfold School.
Their robot, Pebble, finished in fifty-eight seconds.
The team will go to the national final in May.

question: How many teams took part?
- Four
* Twelve
- Twenty

question: What was the winning robot called?
- Rocket
- Marble
* Pebble

question: When is the national final?
* In May
- In June
- In September
