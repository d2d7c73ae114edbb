// Shows the wait cursor for the life of the object.
#pragma once

#include <QGuiApplication>

class CWaitCursor {
public:
  CWaitCursor() {
    if (QGuiApplication::instance()) {
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
      m_set = true;
    }
  }
  ~CWaitCursor() {
    if (m_set) QGuiApplication::restoreOverrideCursor();
  }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
  bool m_set = false;
};
