// A stop that comes while a block is being written takes effect once the block is whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "block_output.h"
#include "testutil.h"

TEST(BlockOutput, AStopDuringAWriteLandsAfterTheBlock) {
  testutil::TempDir dir;
  const std::string fifo = dir.file("out.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Four times what a pipe holds: the writer is still inside its write when the stop comes.
  const std::string big(4 << 16, 'a');
  for (int sig : {SIGTERM, SIGINT}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      signal(sig, SIG_DFL);
      BlockOutput out;
      if (!out.open(fifo.c_str())) _exit(2);
      for (const std::string &block : {big, std::string("next block")}) {
        fputs(block.c_str(), out.block());
        out.endBlock();
      }
      _exit(0);
    }
    const int fd = open(fifo.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::string got;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0; got.append(buf, (size_t)n))
      if (got.empty()) kill(pid, sig);
    close(fd);
    int st = 0;
    waitpid(pid, &st, 0);
    EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == sig) << st;
    EXPECT_EQ(got, big);
  }
}
