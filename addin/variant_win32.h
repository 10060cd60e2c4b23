#pragma once
// Variant: one VARIANT, cleared (its text, array or object freed) when the holder goes. What a
// late-bound call answers lands in one, so no result leaks on any path out of the caller.
//
// The thread rules are those of what it holds.

#include <windows.h>
#include <oleauto.h>

namespace orra {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace orra
