#pragma once
// Fakes for replace tests: scripted answers, and a file system that fails or stops on request.
#include <cerrno>
#include <deque>
#include <functional>
#include <utility>

#include "replace/FileReplacer.h"
#include "save/FileSystem.h"

namespace varko::test {

class ScriptedQuestions : public ReplaceQuestions {
public:
  ConfirmAnswer confirmLine(const Text& boxText) override {
    lineBoxes.push_back(boxText);
    if (lineAnswers.empty()) return ConfirmAnswer::Yes;
    ConfirmAnswer answer = lineAnswers.front();
    lineAnswers.pop_front();
    return answer;
  }
  FileDecision decideFile(const FileChanges& changes) override {
    decided.push_back(changes.path);
    if (beforeDecision) beforeDecision(changes);
    if (decisions.empty()) return FileDecision::Save;
    FileDecision decision = decisions.front();
    decisions.pop_front();
    return decision;
  }
  bool confirmSaveWithoutDiffs(const Text& text) override {
    saveQuestions.push_back(text);
    return saveWithoutDiffs;
  }
  void showMessage(const Text& text) override {
    messages.push_back(text);
    if (onMessage) onMessage(text);
  }
  std::function<void(const Text&)> onMessage;
  void working() override { ++workingCalls; }
  int workingCalls = 0;

  std::deque<ConfirmAnswer> lineAnswers;  // Yes when empty
  std::deque<FileDecision> decisions;     // Save when empty
  std::function<void(const FileChanges&)> beforeDecision;
  bool saveWithoutDiffs = true;
  TextList lineBoxes, decided, saveQuestions, messages;
};

// Makes calls of one kind fail within one save step, and can stop a save after a step.
class FaultyFileSystem : public FileSystem {
public:
  enum class Call { None, Open, Write, Link, Rename, OpenAndLink, SetAttribute };
  SaveStep failStep = SaveStep::None;
  Call failCall = Call::None;
  int failErrno = 0;
  SaveStep stopAfter = SaveStep::None;

  void beginStep(SaveStep step) override { current_ = step; }
  bool endStep(SaveStep step) override {
    current_ = SaveStep::None;
    if (afterStep) afterStep(step);
    return step != stopAfter;
  }
  int open(const std::string& path, int flags, mode_t mode) override {
    if (fails(Call::Open) || fails(Call::OpenAndLink)) return refuse();
    return FileSystem::open(path, flags, mode);
  }
  ssize_t write(int fd, const void* buffer, size_t count) override {
    if (fails(Call::Write)) {
      // Half of the first write goes through, as on a disk that fills up while writing.
      if (!shortWriteDone_ && count > 1) {
        shortWriteDone_ = true;
        return FileSystem::write(fd, buffer, count / 2);
      }
      return refuse();
    }
    return FileSystem::write(fd, buffer, count);
  }
  int link(const std::string& from, const std::string& to) override {
    if (fails(Call::Link) || fails(Call::OpenAndLink)) return refuse();
    return FileSystem::link(from, to);
  }
  int fsetxattr(int fd, const char* name, const void* value, size_t size) override {
    if (fails(Call::SetAttribute)) return refuse();
    return FileSystem::fsetxattr(fd, name, value, size);
  }
  // Called as each step ends: another process acting in the middle of a save.
  std::function<void(SaveStep)> afterStep;
  int rename(const std::string& from, const std::string& to) override {
    if (fails(Call::Rename)) return refuse();
    return FileSystem::rename(from, to);
  }

private:
  bool fails(Call call) const { return failCall == call && current_ == failStep && current_ != SaveStep::None; }
  int refuse() {
    errno = failErrno;
    return -1;
  }
  SaveStep current_ = SaveStep::None;
  bool shortWriteDone_ = false;
};

}  // namespace varko::test
