title: Rain slows Merrowdale apples
audio: 03-rain-slows-merrowdale-apples.wav
transcript:
Farmers in the Merrowdale valley say heavy rain has slowed this year's apple harvest.
It rained on twenty-two days in September, and the pickers could not work on wet ladders.
The apples are large and sweet, but many are still on the trees.
Farmer Owen Hale hopes for a sunny week so he can finish before the first frost.

question: What fruit are the farmers picking?
- Pears
* Apples
- Grapes

question: On how many days did it rain in September?
- Twelve
- Twenty
* Twenty-two

question: What does Owen Hale hope for?
* A sunny week
- More pickers
- Higher prices
