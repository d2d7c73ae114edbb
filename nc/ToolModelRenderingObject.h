// Holds the rendering objects of the current machining tool (cutter tip,
// shank, holder).  Until a tool is built it holds none and draws nothing.
#pragma once

class CToolModelRenderingObject {
public:
  CToolModelRenderingObject() = default;
  virtual ~CToolModelRenderingObject() = default;

  void DeleteDisplayLists(unsigned /*mask*/) {}
  void Profile(bool /*save*/) {}
  void Render(int /*mode*/) {}
};
