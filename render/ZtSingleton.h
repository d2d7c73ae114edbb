// Access to the process-wide managers.
//
// T derives from CZtSingleton<T>; its constructor registers the one instance
// and its destructor clears it.  The application creates each manager once at
// start-up and destroys it at exit; callers reach it only through
// GetInstance(), which is null outside that span.
#pragma once

template <typename T>
class CZtSingleton {
public:
  static T* GetInstance() { return instance; }

protected:
  CZtSingleton() { instance = static_cast<T*>(this); }
  ~CZtSingleton() {
    if (instance == static_cast<T*>(this)) instance = nullptr;
  }
  CZtSingleton(const CZtSingleton&) = delete;
  CZtSingleton& operator=(const CZtSingleton&) = delete;

private:
  static inline T* instance = nullptr;
};
