title: Young chess champion
audio: 12-young-chess-champion.wav
transcript:
The chess club in Orrin Bay has a new champion: nine-year-old Lily Marsh.
She won all seven of her games at the club's spring tournament.
Lily learned to play last year from her grandfather.
The club meets in the community hall every Wednesday evening, and new players of all ages are welcome.

question: How old is Lily?
- Seven
- Nineteen
* Nine

question: Who taught her to play?
- Her teacher
* Her grandfather
- Her mother

question: When does the club meet?
* Wednesday evenings
- Saturday mornings
- Friday nights
