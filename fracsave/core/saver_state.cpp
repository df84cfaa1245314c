#include "fracsave/core/saver_state.h"

namespace fracsave {

SaverState g_saverState;
SaverSettings g_saverSettings;

}  // namespace fracsave
