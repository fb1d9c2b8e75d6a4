#include "NamedMutex.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace win {

struct NamedMutex::State {
    std::mutex guard;
    std::condition_variable released;
    std::thread::id owner;
    unsigned depth = 0;
};

namespace {

struct Registry {
    std::mutex guard;
    std::map<std::string, std::weak_ptr<NamedMutex::State>> byName;
};

// Never destroyed: mutexes held by other static objects (the process's error
// log) are released after every function-local static has gone.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

NamedMutex::NamedMutex(const std::string& name) : name_(name) {
    if (name.empty()) {
        state_ = std::make_shared<State>();
        return;
    }
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.guard);
    auto& slot = registry.byName[name];
    state_ = slot.lock();
    if (!state_) {
        state_ = std::make_shared<State>();
        slot = state_;
    }
}

NamedMutex::~NamedMutex() {
    if (name_.empty()) {
        return;
    }
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.guard);
    state_.reset();
    auto it = registry.byName.find(name_);
    if (it != registry.byName.end() && it->second.expired()) {
        registry.byName.erase(it);
    }
}

DWORD NamedMutex::Wait(DWORD milliseconds) {
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(state_->guard);
    if (state_->depth > 0 && state_->owner == self) {
        ++state_->depth;
        return WAIT_OBJECT_0;
    }
    const auto free = [this] { return state_->depth == 0; };
    if (milliseconds == INFINITE) {
        state_->released.wait(lock, free);
    } else if (!state_->released.wait_for(lock, std::chrono::milliseconds(milliseconds), free)) {
        return WAIT_TIMEOUT;
    }
    state_->owner = self;
    state_->depth = 1;
    return WAIT_OBJECT_0;
}

bool NamedMutex::Release() {
    std::unique_lock lock(state_->guard);
    if (state_->depth == 0 || state_->owner != std::this_thread::get_id()) {
        return false;
    }
    if (--state_->depth == 0) {
        state_->owner = std::thread::id();
        lock.unlock();
        state_->released.notify_all();
    }
    return true;
}

} // namespace win
