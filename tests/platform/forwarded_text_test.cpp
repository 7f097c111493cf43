#include <gtest/gtest.h>

#include <string>

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

TEST(ForwardedTextTest, OnlyTheFirst255CharactersAreRead) {
    const std::string fits(255 - 5, 'a');
    expectCommand("-dua\r" + fits, "-dua", fits);
    expectCommand("-dua\r" + fits + "b", "-dua", fits);
    expectCommand("-dua\r" + fits + std::string(1000, 'b'), "-dua", fits);
    // A carriage return beyond the limit no longer splits.
    const std::string longSwitch(300, 's');
    expectCommand(longSwitch + "\r/tmp/x", longSwitch.substr(0, 255), "");
    // A NUL well inside the limit still ends the text.
    expectCommand("-add\r" + std::string(10, 'c') + '\0' + std::string(500, 'd'), "-add",
                  std::string(10, 'c'));
}

}  // namespace
}  // namespace tarnu
