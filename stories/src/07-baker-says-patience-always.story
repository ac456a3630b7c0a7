title: Baker says "Patience, always"
audio: 07-baker-says-patience-always.wav
transcript:
Mira Lund, who runs a small bakery in Hollin Cross, has won first prize at the county bread show.
Her dark rye loaf beat more than sixty other breads.
Mira starts work at four each morning.
She says the secret is patience: her dough rests a whole day before it goes into the oven.
Her prize is a new oven.

question: Where is Mira's bakery?
- Kestrel Point
* Hollin Cross
- Fenwater

question: What kind of bread won?
* A dark rye loaf
- A white loaf
- A fruit bread

question: How long does her dough rest?
- One hour
- Half a day
* A whole day
