#include "app/run_quillet.h"

#include "app/end_sequence.h"
#include "app/event_loop.h"
#include "app/startup.h"

namespace quillet {

int RunQuillet(const Seams& seams, AppState& state) {
    if (StartUp(seams, state) && RunEventLoop(seams, state) == LoopEnd::Exit) {
        ShutDown(seams.hook, seams.process, seams.shell, seams.feedback,
                 state.language.Text(kQuilletClosed));
    }
    EndSequence(seams.hook, seams.feedback, seams.shell, seams.process);
    return 0;
}

}  // namespace quillet
