#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/instance.h"

namespace tarnu {
namespace {

using namespace std::string_literals;

void expectCommand(const std::string& text, const std::string& switchText,
                   const std::string& argument) {
    const ForwardedCommand command = parseForwarded(text);
    EXPECT_EQ(command.switchText, switchText) << text;
    EXPECT_EQ(command.argument, argument) << text;
}

TEST(ForwardedTextTest, TwoArgumentsTravelAsSwitchCarriageReturnArgument) {
    EXPECT_EQ(forwardedText("-dua", "/tmp/x.dua"), "-dua\r/tmp/x.dua");
    EXPECT_EQ(forwardedText("-add", ""), "-add\r");
    expectCommand(forwardedText("-addf", "/home/me/My Files"), "-addf", "/home/me/My Files");
    expectCommand("", "", "");
    expectCommand("\r/tmp/a", "", "/tmp/a");
}

TEST(ForwardedTextTest, ATextWithoutCarriageReturnIsASwitchAlone) {
    expectCommand("-dua", "-dua", "");
    expectCommand("-dua /tmp/x.dua", "-dua /tmp/x.dua", "");
}

TEST(ForwardedTextTest, OnlyTheFirstCarriageReturnSplits) {
    // File names here may hold a carriage return; the argument keeps it.
    expectCommand("-add\r/tmp/a\rb.txt", "-add", "/tmp/a\rb.txt");
    expectCommand("-add\r\r", "-add", "\r");
}

TEST(ForwardedTextTest, TheTextEndsAtItsFirstNul) {
    expectCommand("-add\r/tmp/a.txt\0/etc/passwd"s, "-add", "/tmp/a.txt");
    expectCommand("-dua\0\r/tmp/x.dua"s, "-dua", "");
    expectCommand("\0-dua\r/tmp/x.dua"s, "", "");
}

TEST(ForwardedTextTest, LongTextsArriveWholeAndTooLongOnesNotAtAll) {
    // Far beyond the old 255-character buffer, and bytes that are not UTF-8, as they are.
    const std::string path = "/srv/" + std::string(600, 'a') + "/\xff\xfe name\x80.txt";
    expectCommand(forwardedText("-add", path), "-add", path);
    const std::string longest(kForwardedTextLimit - 5, 'p');
    expectCommand("-dua\r" + longest, "-dua", longest);
    // One more and it is refused whole: a cut path would name another file.
    expectCommand("-dua\r" + longest + "q", "", "");
    // A NUL inside the limit still ends the text, whatever follows it.
    expectCommand("-add\r/c"s + '\0' + std::string(kForwardedTextLimit * 2, 'd'), "-add", "/c");
}

TEST(ForwardedTextTest, PathsAreMadeAbsoluteAgainstTheSendersDirectory) {
    using Args = std::vector<std::string>;
    const std::string cwd = "/home/me/w\xe9rk";  // not UTF-8: kept byte for byte
    EXPECT_EQ(withAbsolutePath({"-add", "rel/f\xff.txt"}, cwd),
              (Args{"-add", "/home/me/w\xe9rk/rel/f\xff.txt"}));
    EXPECT_EQ(withAbsolutePath({"-dua", "./././b.dua"}, cwd), (Args{"-dua", cwd + "/b.dua"}));
    EXPECT_EQ(withAbsolutePath({"-addf", "."}, cwd), (Args{"-addf", cwd}));
    EXPECT_EQ(withAbsolutePath({"-addf", "../up"}, "/"), (Args{"-addf", "/../up"}));
    // Absolute and empty paths, other switches and other counts stay as they are.
    EXPECT_EQ(withAbsolutePath({"-dua", "/abs.dua"}, cwd), (Args{"-dua", "/abs.dua"}));
    EXPECT_EQ(withAbsolutePath({"-add", ""}, cwd), (Args{"-add", ""}));
    EXPECT_EQ(withAbsolutePath({"-boot"}, cwd), (Args{"-boot"}));
    EXPECT_EQ(withAbsolutePath({"-other", "rel"}, cwd), (Args{"-other", "rel"}));
    EXPECT_EQ(withAbsolutePath({"-add", "rel", "x"}, cwd), (Args{"-add", "rel", "x"}));
    // Without a working directory a relative path names nothing.
    EXPECT_EQ(withAbsolutePath({"-add", "rel"}, ""), Args{});
    EXPECT_EQ(withAbsolutePath({"-add", "/abs"}, ""), (Args{"-add", "/abs"}));
}

}  // namespace
}  // namespace tarnu
