title: Whale visits Kestrel Point
audio: 06-whale-visits-kestrel-point.wav
transcript:
Fishermen near Kestrel Point had a surprise on Tuesday morning when a large grey whale swam beside their boats for almost an hour.
Experts think the young whale is looking for food.
The coast guard asks boat owners to stay at least one hundred metres away and to go slowly in the bay until the whale leaves.

question: Who saw the whale?
* Fishermen
- Tourists
- Children

question: Why is the whale in the bay, say experts?
- It is lost
* It is looking for food
- It is ill

question: How far away should boats stay?
- Ten metres
- Fifty metres
* One hundred metres
