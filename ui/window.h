// The base of the pop-up boxes: a rectangle and seven operations that do
// nothing by themselves.
#pragma once

#include "platform/win32/types.h"

class Window {
 public:
  Window() = default;
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  virtual bool Load(const char*) { return true; }
  virtual bool Update() { return true; }
  virtual void SetPosition(float px, float py) {
    x = px;
    y = py;
  }
  virtual void SetSize(float pw, float ph) {
    w = pw;
    h = ph;
  }
  virtual bool OnKey(UINT, WPARAM, LPARAM) { return false; }
  virtual bool OnMouse(UINT, WPARAM, LPARAM) { return false; }

  float x = 0.0f;
  float y = 0.0f;
  float w = 0.0f;
  float h = 0.0f;
};
