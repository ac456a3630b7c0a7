title: New bus line for Drayhill
audio: 05-new-bus-line-for-drayhill.wav
transcript:
From next Monday a new bus line, number fourteen, will run between Drayhill station and Orrin Bay hospital.
Buses will leave every twenty minutes from six in the morning until eleven at night.
The ride will take about half an hour.
Tickets cost the same as on other town buses, and children under twelve travel free.

question: What is the number of the new line?
* Fourteen
- Four
- Forty

question: How often will the buses leave?
- Every ten minutes
- Every hour
* Every twenty minutes

question: Who can travel free?
- Hospital workers
- Students
* Children under twelve
