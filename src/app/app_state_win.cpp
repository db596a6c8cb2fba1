#include "app/app_state_win.h"

namespace sl {
namespace {
AppState* g_app = nullptr;
HINSTANCE g_instance = nullptr;
}  // namespace

AppState* TheApp() { return g_app; }
void SetTheApp(AppState* app) { g_app = app; }
HINSTANCE AppInstance() { return g_instance; }
void SetAppInstance(HINSTANCE instance) { g_instance = instance; }

}  // namespace sl
