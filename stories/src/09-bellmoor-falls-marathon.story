title: Bellmoor Falls marathon
audio: 09-bellmoor-falls-marathon.wav
transcript:
More than two thousand runners took part in the Bellmoor Falls marathon on Sunday.
The race was won by local teacher Sam Tarrow in two hours and nineteen minutes, a new record for the course.
The oldest runner was seventy-eight.
Many people ran in funny costumes to collect money for the town's animal shelter.

question: What is the winner's job?
* Teacher
- Doctor
- Student

question: How old was the oldest runner?
- Sixty-eight
- Eighty-seven
* Seventy-eight

question: Who will get the money collected?
- The hospital
* The animal shelter
- The school
