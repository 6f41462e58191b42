#include "tools/ProgressBar.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace qlm {
namespace {

std::string ReadAvailable(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

TEST(ProgressBarTest, DrawsOneRedrawnLineOnATerminalAndNothingElsewhere) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
  {
    ProgressBar shown("plan", 4, terminal);
    ProgressBar hidden("plan", 4, pipeFds[1]);
    EXPECT_TRUE(shown.Shown());
    EXPECT_FALSE(hidden.Shown());
    for (int i = 0; i < 4; ++i) {
      shown.Advance();
      hidden.Advance();
    }
  }
  ::close(terminal);
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  const std::string drawn = ReadAvailable(master);
  // The first drawing, then the last one when it ends, each from the start of the line.
  EXPECT_NE(drawn.find("\r\x1b[2Kplan ["), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("0/4"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("[##############################] 4/4"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("/s"), std::string::npos) << drawn;
  EXPECT_EQ(drawn.back(), '\n');
  EXPECT_EQ(ReadAvailable(pipeFds[0]), "");
  ::close(master);
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

}  // namespace
}  // namespace qlm
