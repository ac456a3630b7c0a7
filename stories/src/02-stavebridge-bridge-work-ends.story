title: Stavebridge bridge work ends
audio: 02-stavebridge-bridge-work-ends.wav
transcript:
Cars can cross the old stone bridge in Stavebridge again.
Repairs began in March after a flood damaged two of its arches.
Workers finished three weeks early because the weather was dry.
The town council says buses will use the bridge from Monday, but heavy lorries must still take the road through Corrow.

question: What damaged the bridge?
- A fire
- A lorry
* A flood

question: Why did the work end early?
* The weather was dry
- More workers came
- The council paid more

question: Who must still use another road?
- Buses
* Heavy lorries
- Bicycles
