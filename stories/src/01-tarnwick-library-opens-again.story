title: Tarnwick library opens again
audio: 01-tarnwick-library-opens-again.wav
transcript:
The public library in Tarnwick opened again this morning after eight months of building work.
The old wooden roof was replaced, and the reading room now has large windows and forty new computers.
Head librarian Nora Pell said three hundred people came in the first hour.
Children can borrow up to ten books at a time.

question: How long was the library closed?
- Three months
* Eight months
- One year

question: What was replaced?
* The roof
- The front door
- The floor

question: How many books can children borrow at a time?
- Four
- Eight
* Ten
