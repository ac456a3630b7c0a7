title: Power cut in Quillon
audio: 08-power-cut-in-quillon.wav
transcript:
Most homes in Quillon had no electricity for five hours last night.
A tree fell on a power line in strong winds just after eight o'clock.
Engineers worked in the rain and brought the power back at one in the morning.
The hospital used its own generator.
The power company will now check the trees near its lines.

question: How long was the power cut?
- Two hours
- Eight hours
* Five hours

question: What caused the power cut?
* A tree fell on a line
- Lightning
- A flood

question: How did the hospital get power?
- From the town
* From its own generator
- From solar panels
