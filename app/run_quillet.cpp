#include "app/run_quillet.h"

#include "app/end_sequence.h"
#include "app/event_loop.h"
#include "app/startup.h"

namespace quillet {

int RunQuillet(const Seams& seams, AppState& state) {
    const std::optional<LoopEnd> end =
        StartUp(seams, state) ? std::optional(RunEventLoop(seams, state)) : std::nullopt;
    if (end == LoopEnd::Ended) return 0;
    if (end == LoopEnd::Exit) {
        ShutDown(seams.hook, seams.process, seams.shell, seams.feedback,
                 state.language.Text(kQuilletClosed));
    }
    EndSequence(seams.hook, seams.feedback, seams.shell, seams.process);
    return 0;
}

}  // namespace quillet
