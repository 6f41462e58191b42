#pragma once

#include <string>
#include <vector>

namespace qlm {

// What "dump" shows of a running player: the current page, every variable in store order and
// the objects of the Master Page, the current page and the Master Layer.
struct PlayerSnapshot {
  // The text when the record holds the text marker, the number otherwise.
  struct Variable {
    std::string name;
    bool isText = false;
    std::string text;
    double number = 0;
  };
  struct Object {
    std::string page;
    std::string name;
    int kind = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool hidden = false;
    std::string text;
  };
  std::string page;
  std::vector<Variable> variables;
  std::vector<Object> objects;
};

}  // namespace qlm
