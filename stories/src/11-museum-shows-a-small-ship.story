title: Museum shows a small ship
audio: 11-museum-shows-a-small-ship.wav
transcript:
The town museum in Lindenfold will show a small silver ship that is four hundred years old.
It is on loan from a museum in the capital for six months.
The ship is only thirty centimetres long, but it has tiny sails and twelve silver sailors.
Entry to the museum is free on the first Sunday of every month.

question: What is the ship made of?
* Silver
- Gold
- Wood

question: How long will the museum show it?
- Six weeks
* Six months
- Six years

question: When is entry free?
- Every Saturday
- On weekdays
* On the first Sunday
