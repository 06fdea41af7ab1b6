// Tintwell store: the keyboard shortcuts registered with the host.
#include "store/shortcuts.h"

#include "host/host_calls.h"
#include "store/builtin_texts.h"
#include "store/localisation.h"

namespace {

// Registration order is the order the host lists them in.
constexpr ShortcutEntry kShortcuts[kShortcutCount] = {
    {texts::kShortcutPickMode, "s"},       {texts::kShortcutBrushMode, "S"},
    {texts::kShortcutBrushAdjust, "R"},    {texts::kShortcutSwapPens, "x"},
    {texts::kShortcutRefresh, "r"},        {texts::kShortcutDarkenOnly, "d"},
    {texts::kShortcutLightenOnly, "l"},    {texts::kShortcutSizeLock, "k"},
    {texts::kShortcutResetSizeLock, "K"},  {texts::kShortcutAutoTrimToggle, "T"},
    {texts::kShortcutAutoTrimOn, "U"},     {texts::kShortcutAutoTrimOff, "u"},
    {texts::kShortcutTogglePanel, "t"},
};

}  // namespace


void RegisterShortcuts(PluginContext* context) {
  for (const ShortcutEntry& shortcut : kShortcuts) {
    HostAddShortcut(context, BuiltinText(shortcut.LabelText), shortcut.Key);
  }
}
