#include "FakeCounterStore.h"
#include "support/FakeProc.h"
#include "HelperLoop.h"
#include "RequestReader.h"
#include "SampleReport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Request = RequestReader::Request;

TEST(RequestReader, AcceptsOnlyTheWordSampleOnALineOfItsOwn) {
    RequestReader reader;
    EXPECT_EQ(reader.feed("sample\n"), (std::vector<Request>{Request::Sample}));
    EXPECT_EQ(reader.feed("sam"), (std::vector<Request>{}));
    EXPECT_EQ(reader.feed("ple\nsample\n"),
              (std::vector<Request>{Request::Sample, Request::Sample}));

    const char* refused[] = {"samples\n", "sample \n",     "sample\r\n", "\n",
                             "SAMPLE\n",  "/etc/passwd\n", "12\n"};
    for (const char* text : refused) {
        RequestReader fresh;
        EXPECT_EQ(fresh.feed(text), (std::vector<Request>{Request::Invalid})) << text;
    }
}

TEST(RequestReader, RefusesWithoutWaitingForANewline) {
    RequestReader reader;
    EXPECT_EQ(reader.feed("hello"), (std::vector<Request>{Request::Invalid}));
    RequestReader endless;
    EXPECT_EQ(endless.feed("samplesample"), (std::vector<Request>{Request::Invalid}));
    RequestReader afterOne;
    EXPECT_EQ(afterOne.feed("sample\nx"),
              (std::vector<Request>{Request::Sample, Request::Invalid}));
}

TEST(SampleReport, OneLinePerVisibleProcessThenAnEmptyLine) {
    const std::vector<ProcessTotals> processes = {
        {10, 1000, "curl", 30, 40}, {20, 1000, "Isolated Web Co", 18446744073709551615ull, 0},
        {30, 0, "sshd", 5, 6},      {40, 1001, "other user", 7, 8},
        {50, 1000, "", 9, 9},       {60, 1000, "bad\nname\x7f", 1, 2}};
    EXPECT_EQ(formatSampleReport(processes, 1000), "10 curl 30 40\n"
                                                   "20 Isolated Web Co 18446744073709551615 0\n"
                                                   "60 bad?name? 1 2\n"
                                                   "\n");
    EXPECT_EQ(formatSampleReport(processes, 0), "10 curl 30 40\n"
                                                "20 Isolated Web Co 18446744073709551615 0\n"
                                                "30 sshd 5 6\n"
                                                "40 other user 7 8\n"
                                                "60 bad?name? 1 2\n"
                                                "\n");
    EXPECT_EQ(formatSampleReport({}, 1000), "\n");
}

// The loop on pipes: requests written to one, answers read from the other.
struct Conversation {
    FakeProc proc;
    FakeCounterStore store;
    ProcessNames names{proc.root()};
    ProcessBook book{store, names, [](std::uint32_t) { return true; }};
    SocketAdoption adoption{
        store, book, names, [] { return std::optional<std::vector<SocketEntry>>(); },
        [](const auto&) { return std::unordered_map<std::uint64_t, std::uint32_t>(); }};
    HelperLoop loop{book, adoption, 1000, -1, [] {}};
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};

    Conversation() {
        std::signal(SIGPIPE, SIG_IGN);
        EXPECT_EQ(pipe(input), 0);
        EXPECT_EQ(pipe(output), 0);
    }
    ~Conversation() {
        for (int fd : {input[0], input[1], output[0], output[1]}) {
            if (fd >= 0)
                close(fd);
        }
    }
    void send(const std::string& text) {
        ASSERT_EQ(write(input[1], text.data(), text.size()), ssize_t(text.size()));
    }
    void closeInput() {
        close(input[1]);
        input[1] = -1;
    }
    std::string received() {
        close(output[1]);
        output[1] = -1;
        std::string text;
        char buffer[512];
        ssize_t n;
        while ((n = read(output[0], buffer, sizeof buffer)) > 0)
            text.append(buffer, size_t(n));
        return text;
    }
};

TEST(HelperLoop, AnswersEachRequestAndEndsWhenInputCloses) {
    Conversation c;
    c.store.setProcess(10, 1000, "curl", 30, 40);
    c.send("sample\nsample\n");
    c.closeInput();
    EXPECT_EQ(c.loop.run(c.input[0], c.output[1]), 0);
    EXPECT_EQ(c.received(), "10 curl 30 40\n\n10 curl 30 40\n\n");
}

TEST(HelperLoop, ARefusedRequestEndsItWithStatus2) {
    Conversation c;
    c.send("sample\nsample --all\nsample\n");
    EXPECT_EQ(c.loop.run(c.input[0], c.output[1]), 2);
    EXPECT_EQ(c.received(), "\n") << "answered only the request before the refused one";
}

TEST(HelperLoop, AReaderThatWentAwayEndsItWithStatus1) {
    Conversation c;
    close(c.output[0]);
    c.output[0] = -1;
    c.send("sample\n");
    EXPECT_EQ(c.loop.run(c.input[0], c.output[1]), 1);
}

} // namespace
