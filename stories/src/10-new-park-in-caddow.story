title: New park in Caddow
audio: 10-new-park-in-caddow.wav
transcript:
A new park opened on Friday in Caddow, on the land of an old shoe factory.
It has a pond, a playground and two thousand young trees planted by local families.
The factory chimney was kept to remind people of the town's history.
The park is open every day from seven until dark, and dogs are welcome on a lead.

question: What was on the land before?
- A car park
* A shoe factory
- A station

question: Who planted the trees?
- Students
- Park workers
* Local families

question: What was kept from the factory?
* The chimney
- The roof
- The gate
