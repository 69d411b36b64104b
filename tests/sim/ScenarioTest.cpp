// The scenario engine without a device: splitting lines, the command table, comments, failures
// with their line numbers, and checks that need a booted device.

#include <gtest/gtest.h>

#include <sstream>

#include "sim/scenario/Scenario.h"

namespace flint::sim {
namespace {

TEST(ScenarioLines, WordsQuotesAndEscapes) {
    std::string error;
    auto words = splitScenarioLine("  expect log \"two words\"\tend ", error);
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::vector<std::string>{"expect", "log", "two words", "end"}));
    words = splitScenarioLine(R"(say "a \"quoted\" \\ text" "")", error);
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::vector<std::string>{"say", "a \"quoted\" \\ text", ""}));
    EXPECT_TRUE(splitScenarioLine("   ", error)->empty());
    EXPECT_FALSE(splitScenarioLine("say \"open", error));
    EXPECT_EQ(error, "unterminated quote");
}

class ScenarioTableTest : public ::testing::Test {
protected:
    std::ostringstream out, err;
    Scenario scenario{out, err};
    std::vector<std::string> said;
    void SetUp() override {
        scenario.addCommand("say", {"say WORDS…", [this](Scenario&, const std::vector<std::string>& args) {
                                        for (const auto& a : args) said.push_back(a);
                                        return true;
                                    }});
        scenario.addCommand("poke", {"poke", [](Scenario& s, const std::vector<std::string>&) { return true; }, true});
        scenario.addExpectation("said",
                                {"expect said N", [this](Scenario& s, const std::vector<std::string>& args) {
                                     if (args.size() == 1 && std::to_string(said.size()) == args[0]) return true;
                                     return s.fail("expect said: " + std::to_string(said.size()) + " words said");
                                 }});
    }
};

TEST_F(ScenarioTableTest, RunsCommandsInOrderSkippingCommentsAndBlanks) {
    EXPECT_EQ(scenario.runText("# a comment\n\nsay a b\n  #also a comment\nsay \"c d\"\nexpect said 3\n", "t"), 0)
        << err.str();
    EXPECT_EQ(said, (std::vector<std::string>{"a", "b", "c d"}));
    EXPECT_TRUE(err.str().empty());
}

TEST_F(ScenarioTableTest, FailuresNameTheLineAndStopTheRun) {
    EXPECT_EQ(scenario.runText("say a\nexpect said 5\nsay b\n", "s.flint"), 1);
    EXPECT_EQ(err.str(), "s.flint:2: expect said: 1 words said\n");
    EXPECT_EQ(said.size(), 1u);

    err.str("");
    EXPECT_EQ(scenario.runText("shout x\n", "s.flint"), 1);
    EXPECT_NE(err.str().find("s.flint:1: unknown command \"shout\" (known: expect, poke, say)"), std::string::npos)
        << err.str();

    err.str("");
    EXPECT_EQ(scenario.runText("expect nothing\n", "s.flint"), 1);
    EXPECT_NE(err.str().find("unknown check \"nothing\" (known: said)"), std::string::npos) << err.str();

    err.str("");
    EXPECT_EQ(scenario.runText("expect\n", "s.flint"), 1);
    EXPECT_EQ(err.str(), "s.flint:1: expect needs a check\n");

    err.str("");
    EXPECT_EQ(scenario.runText("say ok\npoke\n", "s.flint"), 1);
    EXPECT_EQ(err.str(), "s.flint:2: poke needs a booted device (add `boot` first)\n");

    err.str("");
    EXPECT_EQ(scenario.runText("say \"unfinished\n", "s.flint"), 1);
    EXPECT_EQ(err.str(), "s.flint:1: unterminated quote\n");
}

TEST_F(ScenarioTableTest, StateIsKeptPerTypeAcrossLines) {
    struct Counter {
        int n = 0;
    };
    scenario.addCommand("count", {"count", [](Scenario& s, const std::vector<std::string>&) {
                                      ++s.state<Counter>().n;
                                      return true;
                                  }});
    EXPECT_EQ(scenario.runText("count\ncount\n"), 0);
    EXPECT_EQ(scenario.state<Counter>().n, 2);
}

}  // namespace
}  // namespace flint::sim
