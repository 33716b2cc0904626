#pragma once

// Where an output stage's notes about the text it passes go (a line too long to filter), so that a stage
// writes only into its chain: the file's output says them under the file's name.
class NoteSink {
 public:
  virtual ~NoteSink() = default;
  virtual void Note(const char* note) = 0;
};
