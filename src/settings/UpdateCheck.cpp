// The scheduled check arrives with the General page; until then a start checks nothing.
#include "settings/UpdateCheck.h"

namespace velmora {

void StartScheduledUpdateCheck(HWND) {}

}  // namespace velmora
