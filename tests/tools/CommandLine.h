// A scratch folder and the host tool run in it as a user would, for the command-line tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FileBytes.h"

class HostCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/vsthost-test-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    dir_ = dir;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const char* name) const { return dir_ + "/" + name; }

  // The exit status; stdout and stderr are kept in out_ and err_. `environment` is put before
  // the command: "NAME=VALUE ...".
  int run(const std::string& args, const std::string& environment = "") {
    const std::string command = environment + " " + std::string(VSTHOST) + " " + args + " >'" +
                                path("stdout") + "' 2>'" + path("stderr") + "'";
    const int status = std::system(command.c_str());
    std::vector<uint8_t> bytes;
    std::string error;
    readFileBytes(path("stdout"), bytes, error);
    out_.assign(bytes.begin(), bytes.end());
    readFileBytes(path("stderr"), bytes, error);
    err_.assign(bytes.begin(), bytes.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void write(const char* name, const std::vector<uint8_t>& bytes) {
    std::string error;
    ASSERT_TRUE(writeFileBytes(path(name), bytes, error)) << error;
  }

  std::vector<uint8_t> read(const char* name) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(readFileBytes(path(name), bytes, error)) << error;
    return bytes;
  }

  std::string dir_, out_, err_;
};
