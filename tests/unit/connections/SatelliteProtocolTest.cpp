// The Satellite lines both ways: what the client writes reads back as it meant, and the server's
// answers, greetings and stray lines read as the server formats them.
#include "connections/SatelliteCommand.h"
#include "connections/SatelliteLineReader.h"
#include "connections/SatelliteMessage.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using Answer = SatelliteMessage::Answer;
using ::testing::ElementsAre;
using ::testing::Pair;

TEST(SatelliteProtocol, ValuesWithBlanksQuotesAndBackslashesAreQuotedAndReadBack) {
    EXPECT_EQ(SatelliteCommand("KEY-PRESS")
                  .Text("DEVICEID", "kvremote:PC-keyboard-5")
                  .Number("KEY", 4)
                  .Bool("PRESSED", true)
                  .Line(),
              "KEY-PRESS DEVICEID=kvremote:PC-keyboard-5 KEY=4 PRESSED=true\n");
    const std::string name = R"(Desk "A" \ left)";
    const std::string line =
        SatelliteCommand("ADD-DEVICE").Text("PRODUCT_NAME", name).Text("EMPTY", "").Text("EQ", "a=b").Line();
    EXPECT_EQ(line, R"(ADD-DEVICE PRODUCT_NAME="Desk \"A\" \\ left" EMPTY="" EQ=a=b)"
                    "\n");
    const SatelliteMessage back = ParseSatelliteMessage(line.substr(0, line.size() - 1));
    EXPECT_THAT(back.params, ElementsAre(Pair("PRODUCT_NAME", name), Pair("EMPTY", ""), Pair("EQ", "a=b")));
    EXPECT_EQ(SatelliteCommand("X").Text("V", "two\nlines").Line(), "X V=\"two lines\"\n") << "one line only";
}

TEST(SatelliteProtocol, AnswersGreetingsAndPingsAreRead) {
    const SatelliteMessage begin =
        ParseSatelliteMessage(R"(BEGIN CompanionVersion="4.2.0+8136" ApiVersion="1.14.0" )");
    EXPECT_EQ(begin.command, "BEGIN");
    EXPECT_EQ(begin.answer, Answer::None);
    EXPECT_EQ(ParseSatelliteApiVersion(begin.Param("ApiVersion").value_or("")),
              (SatelliteApiVersion{1, 14, 0}));
    for (const char* bad : {"", "1.5", "1.5.1.2", "1..1", "v1.5.1", "1.5.1-beta", "9999999.0.0"})
        EXPECT_EQ(ParseSatelliteApiVersion(bad), std::nullopt) << bad;

    const SatelliteMessage ok = ParseSatelliteMessage(R"(ADD-DEVICE OK DEVICEID="kvremote:PC-mouse-2" )");
    EXPECT_EQ(ok.command, "ADD-DEVICE");
    EXPECT_EQ(ok.answer, Answer::Ok);
    EXPECT_EQ(ok.Param("DEVICEID"), "kvremote:PC-mouse-2");

    const SatelliteMessage refused = ParseSatelliteMessage(
        R"(ADD-DEVICE ERROR DEVICEID="kvremote:PC-mouse-2" MESSAGE="Device already added" )");
    EXPECT_EQ(refused.answer, Answer::Error);
    EXPECT_EQ(refused.Param("MESSAGE"), "Device already added");

    const SatelliteMessage unknown = ParseSatelliteMessage(R"(ERROR MESSAGE="Unknown command: FOO" )");
    EXPECT_EQ(unknown.command, "");
    EXPECT_EQ(unknown.answer, Answer::Error);
    EXPECT_EQ(unknown.Param("MESSAGE"), "Unknown command: FOO");

    EXPECT_EQ(ParseSatelliteMessage("PING abc 12 ").body, "abc 12 ");
    EXPECT_EQ(ParseSatelliteMessage("KEY-STATE DEVICEID=\"x\" KEY=0 TYPE=BUTTON ").answer, Answer::None);
}

TEST(SatelliteProtocol, LinesAreCutWhateverTheSplitAndOverlongOnesDropped) {
    SatelliteLineReader reader;
    std::vector<std::string> lines;
    const auto feed = [&](std::string_view bytes) {
        reader.Feed(bytes, [&](std::string_view line) { lines.emplace_back(line); });
    };
    feed("BEG");
    feed("IN A=1\r\nPI");
    feed("NG x\n\n");
    const std::string longLine(SatelliteLineReader::kMaxLine + 1, 'x');
    feed(longLine.substr(0, 1000));
    feed(longLine.substr(1000) + "tail\nKEY-STATE K=1\n");
    feed(std::string(SatelliteLineReader::kMaxLine, 'y') + "\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_THAT(std::vector(lines.begin(), lines.begin() + 4),
                ElementsAre("BEGIN A=1", "PING x", "", "KEY-STATE K=1"));
    EXPECT_EQ(lines[4].size(), SatelliteLineReader::kMaxLine) << "at the limit, kept";
    EXPECT_EQ(reader.Dropped(), 1u);
}

} // namespace
