// SPDX-License-Identifier: GPL-3.0-or-later
// A dictation's check, word by word: what the student typed against the
// sentence, in one table. Each result is written word by word: a right word
// as it stands, "word~typed" a typo, "word!typed" wrong, "word?" missing,
// "+typed" an extra word; then right/total and the typos.
#include "cp1252.h"
#include "dictation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vantrel::WordMark;

std::string written(const vantrel::DictationResult &result)
{
    std::string out;
    for (const vantrel::MarkedWord &w : result.words) {
        out += out.empty() ? "" : " ";
        switch (w.mark) {
        case WordMark::Right: out += w.word; break;
        case WordMark::Typo: out += w.word + "~" + w.typed; break;
        case WordMark::Wrong: out += w.word + "!" + w.typed; break;
        case WordMark::Missing: out += w.word + "?"; break;
        case WordMark::Extra: out += "+" + w.typed; break;
        }
    }
    return out + " | " + std::to_string(result.right) + "/" + std::to_string(result.total) + " "
        + std::to_string(result.typos);
}

TEST(Dictation, marksEachWordOfTheSentence)
{
    const struct {
        const char *name, *sentence, *typed, *marked;
    } cases[] = {
        {"allRight", "The roof was replaced.", "the roof was replaced", "The roof was replaced. | 4/4 0"},
        {"caseAndPunctuationAround", "\"Yes,\" she said.", "YES she said!!", "\"Yes,\" she said. | 3/3 0"},
        {"missingFirstWord", "The library opens again.", "library opens again",
         "The? library opens again. | 3/4 0"},
        {"missingInTheMiddleShiftsNothing", "It rained on twenty days", "It rained twenty days",
         "It rained on? twenty days | 4/5 0"},
        {"twoWordsSwapped", "the big dog barked", "big the dog barked",
         "+big the big? dog barked | 3/4 0"},
        {"extraWordAtTheEnd", "Farmers waited.", "farmers waited today", "Farmers waited. +today | 2/2 0"},
        {"noSpaces", "the big dog", "thebigdog", "the!thebigdog big? dog? | 0/3 0"},
        {"emptyCheck", "It rained.", "", "It? rained.? | 0/2 0"},
        {"spacesOnly", "It rained.", "  \t ", "It? rained.? | 0/2 0"},
        {"oneWordSentence", "Thanks.", "thanks", "Thanks. | 1/1 0"},
        {"oneWordWrong", "Thanks.", "tank", "Thanks.!tank | 0/1 0"},
        {"wrongWordKeepsItsPlace", "pears and apples", "pears or apples", "pears and!or apples | 2/3 0"},
        // Slips: one in 4 to 9 letters, two from 10; none below 4.
        {"dontWithoutItsApostrophe", "I don't know.", "I dont know", "I don't~dont know. | 2/3 1"},
        {"letterDropped", "heavy rain", "heavy rin", "heavy rain~rin | 1/2 1"},
        {"neighboursSwapped", "heavy rain", "haevy rain", "heavy~haevy rain | 1/2 1"},
        {"letterAdded", "the harvest", "the harvests", "the harvest~harvests | 1/2 1"},
        {"twoSlipsInNineLettersIsWrong", "September", "Setpembr", "September!Setpembr | 0/1 0"},
        {"oneSlipInTenLetters", "government", "goverment.", "government~goverment. | 0/1 1"},
        {"twoSlipsInTenLettersBoth", "government", "govermant", "government~govermant | 0/1 1"},
        {"threeSlipsInALongWordIsWrong", "government", "guvermant", "government!guvermant | 0/1 0"},
        {"threeLettersHaveNoTypos", "the cat", "the cot", "the cat!cot | 1/2 0"},
        {"typosAreCounted", "Farmers waited for rain", "Farmrs waited fro rain",
         "Farmers~Farmrs waited for!fro rain | 2/4 1"},
        // Marks the keyboard makes.
        {"curlyApostrophe", "It\xE2\x80\x99s late.", "it's late", "It\xE2\x80\x99s late. | 2/2 0"},
        {"straightForCurlyBothWays", "it's late", "It\xE2\x80\x98s late", "it's late | 2/2 0"},
        {"dashes", "a well\xE2\x80\x93known place", "a well-known place",
         "a well\xE2\x80\x93known place | 3/3 0"},
        {"dashBetweenWordsIsNoWord", "Rain \xE2\x80\x94 then sun.", "rain then sun", "Rain then sun. | 3/3 0"},
        {"hyphenatedTypedAsTwo", "a well-known place", "a well known place", "a well-known place | 3/3 0"},
        {"twoWordsTypedHyphenated", "a well known place", "a well-known place", "a well known place | 4/4 0"},
        {"halfOfAHyphenatedWord", "a well-known place", "a well place", "a well-known!well place | 2/3 0"},
        {"partOfATypedWordUnused", "twenty days", "twenty-two days", "twenty!twenty-two days | 1/2 0"},
        // Numbers.
        {"digitsForWords", "It rained on twenty-two days.", "It rained on 22 days",
         "It rained on twenty-two days. | 5/5 0"},
        {"wordsForDigits", "Children borrow 6 books.", "children borrow six books",
         "Children borrow 6 books. | 4/4 0"},
        {"aHundred", "100 days", "one hundred days", "100 days | 2/2 0"},
        {"zero", "zero", "0", "zero | 1/1 0"},
        {"aDifferentNumberIsWrong", "22 days", "23 days", "22!23 days | 1/2 0"},
        {"largeNumbersAsText", "1,200 people", "1200 people", "1,200 people | 2/2 0"},
        {"pointsInsideAbbreviations", "the U.S. Senate", "the US senate", "the U.S. Senate | 3/3 0"},
        {"decimalsKept", "3.5 metres", "3.5 metres", "3.5 metres | 2/2 0"},
        // Text, not bytes.
        {"accentsFoldedInCase", "\xC3\x89lodie sang", "\xC3\xA9lodie sang", "\xC3\x89lodie sang | 2/2 0"},
        {"accentDroppedIsATypo", "the caf\xC3\xA9 opened", "the cafe opened",
         "the caf\xC3\xA9~cafe opened | 2/3 1"},
        {"brokenTypingIsKept", "ma\xC3\xB1" "ana", "ma\xF1" "ana", "ma\xC3\xB1" "ana | 1/1 0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(written(vantrel::checkDictation(c.sentence, c.typed)), c.marked) << c.name;
}

TEST(Dictation, comparesTheTranscriptsLettersNotItsBytes)
{
    // The transcript is Windows-1252: é, ñ and ’ are one byte each there.
    const std::string sentence = vantrel::utf8FromCp1252("Jos\xE9 can\xB4t say ma\xF1" "ana\x92s plan.");
    const vantrel::DictationResult result =
        vantrel::checkDictation(sentence, "jos\xC3\xA9 can't say MA\xC3\x91" "ANA's plan");
    EXPECT_EQ(result.right, 5) << written(result);
    EXPECT_EQ(result.total, 5);
    EXPECT_EQ(vantrel::dictationWordCount(sentence), 5);
    EXPECT_EQ(vantrel::dictationWordCount(" \xE2\x80\x94 ... "), 0);
    // Each word says where it stands in the sentence, in bytes, so that it can be found and heard alone.
    ASSERT_EQ(result.words.size(), 5u);
    EXPECT_EQ(result.words[2].at, sentence.find("say"));
    EXPECT_EQ(result.words[4].at, sentence.find("plan"));
    const std::string dashed = "Rain \xE2\x80\x94 then  sun.";
    const vantrel::DictationResult missing = vantrel::checkDictation(dashed, "rain sun");
    ASSERT_EQ(missing.words.size(), 3u);
    EXPECT_EQ(missing.words[1].at, dashed.find("then"));
    EXPECT_EQ(missing.words[2].at, dashed.find("sun"));
}

} // namespace
