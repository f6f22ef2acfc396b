// The control registry and the placement of a dialog over its viewer.
#include "settings/controls.h"

#include <cassert>

namespace settings {

TControl& TControls::Add(TControl control) {
  assert(!Find(control.Name) && "control names are unique");
  return FItems.emplace_back(std::move(control));
}

const TControl* TControls::Find(std::string_view name) const {
  for (const TControl& control : FItems)
    if (control.Name == name) return &control;
  return nullptr;
}

const TControl& TControls::operator[](std::string_view name) const {
  const TControl* control = Find(name);
  assert(control && "no control of that name");
  return *control;
}

TControl& TControls::operator[](std::string_view name) {
  return const_cast<TControl&>(static_cast<const TControls&>(*this)[name]);
}

TScreenRect CentreOver(const TScreenRect& viewer, int width, int height) {
  // Integer division truncates toward zero, also for a window wider than the viewer.
  return {viewer.Left + (viewer.Width - width) / 2, viewer.Top + (viewer.Height - height) / 2, width,
          height};
}

int ScalePixels(int value, int percent) {
  const long long scaled = static_cast<long long>(value) * percent;
  // Round half away from zero; layouts only hold non-negative values.
  return static_cast<int>(scaled >= 0 ? (scaled + 50) / 100 : (scaled - 50) / 100);
}

platform::TRect ScaleRect(const platform::TRect& rect, int percent) {
  return {ScalePixels(rect.Left, percent), ScalePixels(rect.Top, percent), ScalePixels(rect.Right, percent),
          ScalePixels(rect.Bottom, percent)};
}

}  // namespace settings
