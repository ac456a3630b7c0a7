// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-make on the folders that teachers' editors leave: Notepad's
// encodings and names, and files that look like stories but are not read.
#include "maker_fixture.h"
#include "cp1252.h"
#include "story_block.h"
#include "story_file.h"

#include <functional>

namespace fs = std::filesystem;
using namespace vantrel::test;

namespace {

const std::string kCafe = "Caf\xC3\xA9 \xE2\x80\x93 news";  // an accent, and a dash beyond Latin-1
const std::string kNotText = "src/a.story:1: error: this is not a text file vantrel-make can read; open it in your "
                             "editor and save it as plain text with the encoding \"UTF-8\" (in Notepad: File > Save "
                             "As, Encoding: UTF-8)\n";
const std::string kOneStory = "made out: 1 story, no warnings; no sentence timings (--no-timings)\n";

struct Folder {
    const char *name;
    std::function<void(MakerTest &)> make;  // beside a.wav
    std::string err;                        // all that vantrel-make says on its error stream
    std::string made;                       // its last line, empty when nothing is made
    std::string titles;                     // the menu's, between "|"
};

void PrintTo(const Folder &folder, std::ostream *out) { *out << folder.name; }
const Folder kFolders[] = {
    {"utf16LittleEndian", [](MakerTest &t) { t.story(utf16(validStory(kCafe, "a.wav"), false)); }, "", kOneStory,
     kCafe},
    {"utf16BigEndian", [](MakerTest &t) { t.story(utf16(validStory(kCafe, "a.wav"), true)); }, "", kOneStory, kCafe},
    {"utf8WithByteOrderMark", [](MakerTest &t) { t.story("\xEF\xBB\xBF" + validStory(kCafe, "a.wav")); }, "",
     kOneStory, kCafe},
    {"notepadsNameInFileNameOrder",
     [](MakerTest &t) {
         t.story(validStory("Two", "a.wav"), "2.story");
         t.story(validStory("One", "a.wav"), "1.story.txt");
     },
     "", "made out: 2 stories, no warnings; no sentence timings (--no-timings)\n", "One|Two"},
    {"binaryIsOneError", [](MakerTest &t) { t.story(std::string("PK\x03\x04\0\0\n", 7) + std::string(4000, '\xFF')); },
     kNotText, "", ""},
    {"utf16WithoutItsMarkIsOneError", [](MakerTest &t) { t.story(utf16(validStory("Rain", "a.wav"), false).substr(2)); },
     kNotText, "", ""},
    {"windows1252ThroughoutIsOneError",
     [](MakerTest &t) {
         std::string story = validStory("Rain", "a.wav");
         std::replace(story.begin(), story.end(), 'e', '\xE9');
         t.story(story);
     },
     kNotText, "", ""},
    {"aWindows1252LetterIsShownAtItsColumn", [](MakerTest &t) { t.story(validStory("Caf\xE9", "a.wav")); },
     "src/a.story:2: error: the character in column 11 is not saved as UTF-8; save the file with the encoding "
     "\"UTF-8\"\n", "", ""},
    {"storyBesideNotepadsCopy",
     [](MakerTest &t) {
         t.story(validStory("Rain", "a.wav"));
         t.story(validStory("Rain", "a.wav"), "a.story.txt");
     },
     "src/a.story.txt:1: error: both a.story and a.story.txt are here, and they would be two stories; remove the "
     "one you do not want\n", "", ""},
    {"storiesUnderOtherNamesAreNamed",
     [](MakerTest &t) {
         fs::copy_file(t.src / "a.wav", t.src / "story-sound.wav");
         t.story(validStory("Rain", "story-sound.wav"));
         t.story("# mine\n\nTitle: Sun\n", "b.txt");
         t.story("{\\rtf1 title: Sun}", "c.story.rtf");
         t.story("", "old-story.mp3");
         t.story(validStory("Rain", "a.wav"), "d.Story");
         t.story(validStory("Rain", "a.wav"), ".a.story.swp");
         t.story(validStory("Rain", "a.wav"), "a.story~");
     },
     "src/b.txt:1: warning: this looks like a story, but it is not read: only files named *.story (or *.story.txt) "
     "are stories; rename it to b.story\n"
     "src/c.story.rtf:1: warning: this file is not read: a story must be plain text; if this is one, open it, "
     "choose Save As, the type \"Plain text\" with the encoding \"UTF-8\", and the name c.story\n"
     "src/d.Story:1: warning: this looks like a story, but it is not read: only files named *.story (or "
     "*.story.txt) are stories; rename it to d.story\n"
     "src/old-story.mp3:1: warning: this file is not read: only files named *.story (or *.story.txt) are stories; "
     "if it is one, rename it to old-story.story\n",
     "made out: 1 story, 4 warnings (above); no sentence timings (--no-timings)\n", "Rain"},
    {"answerInItsOwnFont", [](MakerTest &t) { t.story(withStory("- Prices", "- " + kLongQuestion)); }, "",
     kOneStory, "Rain"},
};

class FolderTest : public MakerTest, public testing::WithParamInterface<Folder> {};

TEST_P(FolderTest, isReadAsTheTeacherMeantIt)
{
    makeRecording(src / "a.wav", "wavenc", 0.3);
    GetParam().make(*this);
    const MakeRun run = runMake(dir, "--no-timings src out");
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.status, GetParam().made.empty() ? 1 : 0);
    const std::size_t lastLine = run.out.empty() ? 0 : run.out.rfind('\n', run.out.size() - 2) + 1;
    EXPECT_EQ(run.out.substr(lastLine), GetParam().made);
    std::string titles;
    if (const auto lines = vantrel::loadStoryFile(dir / "out" / "vtl.txt").lines) {
        for (int slot = 1; vantrel::StoryBlock::ofSlot(*lines, slot).isPresent(); ++slot)
            titles += (slot == 1 ? "" : "|") + vantrel::utf8FromCp1252(vantrel::StoryBlock::ofSlot(*lines, slot).title);
    }
    EXPECT_EQ(titles, GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(, FolderTest, testing::ValuesIn(kFolders),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
