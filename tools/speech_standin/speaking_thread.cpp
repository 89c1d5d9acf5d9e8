#include "speaking_thread.h"

#include <windows.h>
// COM after windows.h, whose types it needs.
#include <objbase.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "call_log.h"
#include "speech_routes.h"

namespace quillet {
namespace {

enum class Kind { Say, Stop, Braille };

struct Request {
    Kind kind = Kind::Say;
    std::wstring text;
    bool interrupt = false;
};

// A reader that hangs must not make the queue grow without bound.
constexpr size_t kMaxPending = 32;

class SpeakingThread {
  public:
    SpeakingThread() {
        // The thread runs code of this library until the process ends, so the
        // library must stay mapped even after its user calls FreeLibrary.
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&Speak), &self);
        // Without a thread the library stays silent; nothing may throw into the caller.
        try {
            std::thread([this] { Run(); }).detach();
        } catch (const std::system_error&) {
        }
    }

    // Read by the caller without waiting for the thread.
    bool RouteHasBraille() const { return routeHasBraille_; }
    int RouteEngine() const { return routeEngine_; }

    void Post(Request request) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            // An interrupting utterance would cut off what is still waiting.
            if (request.kind == Kind::Say && request.interrupt) {
                std::erase_if(pending_, [](const Request& r) { return r.kind == Kind::Say; });
            }
            if (pending_.size() >= kMaxPending) pending_.pop_front();
            pending_.push_back(std::move(request));
        }
        wake_.notify_one();
    }

  private:
    void Run() {
        // COM for SAPI and the JAWS object, on this thread only.
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        std::vector<std::unique_ptr<SpeechRoute>> routes;
        routes.push_back(MakeNvdaRoute());
        routes.push_back(MakeJawsRoute());
        routes.push_back(MakeSapiRoute());
        for (;;) {
            Request r;
            {
                std::unique_lock<std::mutex> hold(lock_);
                wake_.wait(hold, [this] { return !pending_.empty(); });
                r = std::move(pending_.front());
                pending_.pop_front();
            }
            SpeechRoute* taken = nullptr;
            for (auto& route : routes) {
                if (Serve(*route, r)) {
                    taken = route.get();
                    break;
                }
            }
            routeHasBraille_ = taken && taken->HasBraille();
            routeEngine_ = taken ? taken->Engine() : -1;
            LogCall(std::wstring(L"route ") + (taken ? taken->Name() : L"none") + L" " +
                    Describe(r));
        }
    }

    static bool Serve(SpeechRoute& route, const Request& r) {
        switch (r.kind) {
            case Kind::Say:
                return route.Say(r.text, r.interrupt);
            case Kind::Stop:
                return route.Stop();
            case Kind::Braille:
                return route.Braille(r.text);
        }
        return false;
    }

    static std::wstring Describe(const Request& r) {
        switch (r.kind) {
            case Kind::Say:
                return L"say " + r.text;
            case Kind::Stop:
                return L"stop";
            case Kind::Braille:
                return L"braille " + r.text;
        }
        return std::wstring();
    }

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Request> pending_;
    std::atomic<bool> routeHasBraille_{true};
    std::atomic<int> routeEngine_{-1};
};

SpeakingThread& Thread() {
    // Never destroyed: the thread may still wait on it while the process ends.
    static SpeakingThread* thread = new SpeakingThread();
    return *thread;
}

void Post(Request request) { Thread().Post(std::move(request)); }

}  // namespace

void Speak(const std::wstring& text, bool interrupt) { Post({Kind::Say, text, interrupt}); }

void StopSpeaking() { Post({Kind::Stop, std::wstring()}); }

int RouteEngine() { return Thread().RouteEngine(); }

bool ShowBraille(const std::wstring& text) {
    Post({Kind::Braille, text});
    return Thread().RouteHasBraille();
}

}  // namespace quillet
