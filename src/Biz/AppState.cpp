#include "Biz/AppState.h"

AppState* AppState::Instance()
{
    static AppState* state = new AppState;  // lives until the module is unloaded
    return state;
}
