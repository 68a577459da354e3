// Reading REMOTE lines back: whatever the program composes parses to the fields it was made of,
// and datagrams that are not such a line are refused with a reason instead of being misread.
#include "remote/CommandComposer.h"
#include "remote/RemoteLine.h"
#include "remote/RemoteLineParser.h"
#include <gtest/gtest.h>
#include <string>

namespace {

struct Sent {
    const char* applicationId;
    const char* destination;
    const char* textCmd;
    DeviceClass deviceClass;
    int32_t code;
    int16_t value;
    EventIndex index;
};

TEST(RemoteLineParser, ReadsBackWhatTheProgramSends) {
    const Sent cases[] = {
        {"", "", "", DEVICE_CLASS_KEYBOARDS, 103, 0, 5},
        {"STN2", "RIG", "", DEVICE_CLASS_MICE, 1024, -120, 7},
        {"ST\xC9", "r\xE9g", "F1", DEVICE_CLASS_KEYBOARDS, 65, -32768, 255},
        {"A", "", "a/b", DEVICE_CLASS_MICE, 2147483647, 32767, kMainDeviceMark}, // slash in text cmd
        {"x y", " ", "K", DEVICE_CLASS_KEYBOARDS, -2147483647 - 1, 0, kMainDeviceMark},
        {"", "", "AUXUP", DEVICE_CLASS_KEYBOARDS, 103, 1, 5}, // a key's release, under its own command
    };
    for (const Sent& s : cases) {
        const std::string command =
            ComposeCommand(s.textCmd, s.deviceClass, s.code, s.value, s.index, -1, 12345);
        const std::string line = FormatRemoteLine(s.applicationId, s.destination, command);
        const RemoteLineParse p = ParseRemoteLine(line);
        ASSERT_TRUE(p.ok) << line << ": " << p.error;
        EXPECT_EQ(p.fields.applicationId, *s.applicationId ? s.applicationId : "REMOTE") << line;
        EXPECT_EQ(p.fields.destination, s.destination) << line;
        EXPECT_EQ(p.fields.textCmd, EffectiveTextCmd(s.textCmd, s.deviceClass)) << line;
        EXPECT_EQ(p.fields.code, s.code) << line;
        EXPECT_EQ(p.fields.value, s.value) << line;
        EXPECT_EQ(p.fields.index, CommandIndex(s.deviceClass, s.index, -1, 12345)) << line;
    }
}

TEST(RemoteLineParser, RefusesWhatIsNotALine) {
    const struct {
        std::string datagram;
        const char* reason;
    } cases[] = {
        {"", "does not start with \"REMOTE: \""},
        {"remote: \"A\" \"\" \"K/1/0/0\" 1", "does not start with \"REMOTE: \""},
        {"REMOTE: \"A\" \"\" \"K/1/0/0\" 1\n", "bytes after the trailing 1"},
        {"REMOTE: \"A\" \"\" \"K/1/0/0\" 1 ", "bytes after the trailing 1"},
        {"REMOTE: \"A\" \"\" \"K/1/0/0\" 2", "no blank and 1 after the command"},
        {"REMOTE: \"A\" \"\" \"K/1/0/0\"", "no blank and 1 after the command"},
        {"REMOTE: \"\" \"\" \"K/1/0/0\" 1", "empty application ID"},
        {"REMOTE: \"A\"B\" \"\" \"K/1/0/0\" 1", "no blank and quote before the destination"},
        // A quote inside the destination shifts the fields: refused, not read as other fields.
        {"REMOTE: \"A\" \"x\" \"y\" \"K/1/0/0\" 1",
         "more than three quoted fields (a quote inside a field?)"},
        {"REMOTE: \"A\" \"\" \"K/1/0\" 1", "the command is not TextCmd/code/value/index"},
        {"REMOTE: \"A\" \"\" \"/1/0/0\" 1", "empty text command"},
        {"REMOTE: \"A\" \"\" \"K/01/0/0\" 1", "the code is not a decimal 32-bit number"},
        {"REMOTE: \"A\" \"\" \"K/+1/0/0\" 1", "the code is not a decimal 32-bit number"},
        {"REMOTE: \"A\" \"\" \"K/2147483648/0/0\" 1", "the code is not a decimal 32-bit number"},
        {"REMOTE: \"A\" \"\" \"K/1/-0/0\" 1", "the value is not a decimal 16-bit number"},
        {"REMOTE: \"A\" \"\" \"K/1/32768/0\" 1", "the value is not a decimal 16-bit number"},
        {"REMOTE: \"A\" \"\" \"K/1/0/ 5\" 1", "the index is not a decimal 32-bit number"},
        {std::string("REMOTE: \"A\0\" \"\" \"K/1/0/0\" 1", 27), "holds a NUL byte"},
    };
    for (const auto& c : cases) {
        const RemoteLineParse p = ParseRemoteLine(c.datagram);
        EXPECT_FALSE(p.ok) << c.datagram;
        EXPECT_EQ(p.error, c.reason) << c.datagram;
    }
}

} // namespace
