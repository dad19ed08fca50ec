#pragma once
// Signals and slots for the controls: a control owns signals, a receiver derives from
// has_slots and connects member functions to them. Delivery is synchronous, on the emitting
// thread, in connection order. Each signal and each receiver carries its own lock
// (multi_threaded_local); destroying either side disconnects it from the other.
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace sigslot {

// One recursive lock per object, so a slot may connect or disconnect on the signal that
// is calling it.
class multi_threaded_local {
public:
    multi_threaded_local() = default;
    multi_threaded_local(const multi_threaded_local&) {}  // a copy gets a lock of its own
    multi_threaded_local& operator=(const multi_threaded_local&) { return *this; }
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};

template <class mt_policy>
class lock_block {
public:
    explicit lock_block(mt_policy& m) : m_(m) { m_.lock(); }
    ~lock_block() { m_.unlock(); }
    lock_block(const lock_block&) = delete;
    lock_block& operator=(const lock_block&) = delete;

private:
    mt_policy& m_;
};

template <class mt_policy = multi_threaded_local>
class has_slots;

template <class mt_policy>
class _signal_base : public mt_policy {
public:
    virtual ~_signal_base() = default;
    // The receiver is going away: forget its slots without calling back.
    virtual void slot_disconnect(has_slots<mt_policy>* receiver) = 0;
};

template <class mt_policy>
class has_slots : public mt_policy {
public:
    has_slots() = default;
    has_slots(const has_slots&) : mt_policy() {}  // connections are not copied
    has_slots& operator=(const has_slots&) { return *this; }
    virtual ~has_slots() { disconnect_all(); }

    void signal_connect(_signal_base<mt_policy>* sender)
    {
        lock_block<mt_policy> hold(*this);
        senders_.insert(sender);
    }
    void signal_disconnect(_signal_base<mt_policy>* sender)
    {
        lock_block<mt_policy> hold(*this);
        senders_.erase(sender);
    }
    void disconnect_all()
    {
        std::set<_signal_base<mt_policy>*> senders;
        {
            lock_block<mt_policy> hold(*this);
            senders.swap(senders_);
        }
        // Our own lock is released first: a signal takes its lock before ours, never after.
        for (auto* sender : senders) sender->slot_disconnect(this);
    }

private:
    std::set<_signal_base<mt_policy>*> senders_;
};

template <class mt_policy, class... Args>
class _signal : public _signal_base<mt_policy> {
public:
    _signal() = default;
    _signal(const _signal&) = delete;
    _signal& operator=(const _signal&) = delete;
    ~_signal() override { disconnect_all(); }

    template <class Receiver>
    void connect(Receiver* receiver, void (Receiver::*slot)(Args...))
    {
        lock_block<mt_policy> hold(*this);
        connections_.push_back({receiver, ++lastId_, [receiver, slot](Args... args) { (receiver->*slot)(args...); }});
        receiver->signal_connect(this);
    }

    void disconnect(has_slots<mt_policy>* receiver)
    {
        lock_block<mt_policy> hold(*this);
        connections_.remove_if([receiver](const Connection& c) { return c.receiver == receiver; });
        receiver->signal_disconnect(this);
    }

    void disconnect_all()
    {
        lock_block<mt_policy> hold(*this);
        for (const Connection& c : connections_) c.receiver->signal_disconnect(this);
        connections_.clear();
    }

    // Calls every slot connected when the emission starts, unless it is disconnected (or its
    // receiver destroyed) by an earlier slot of the same emission. The lock is held
    // throughout, so another thread cannot destroy a receiver while its slot runs.
    void emit(Args... args)
    {
        lock_block<mt_policy> hold(*this);
        std::vector<std::uint64_t> ids;
        for (const Connection& c : connections_) ids.push_back(c.id);
        for (std::uint64_t id : ids) {
            for (const Connection& c : connections_) {
                if (c.id != id) continue;
                auto call = c.call;  // the slot may remove its own connection
                call(args...);
                break;
            }
        }
    }
    void operator()(Args... args) { emit(args...); }

    void slot_disconnect(has_slots<mt_policy>* receiver) override
    {
        lock_block<mt_policy> hold(*this);
        connections_.remove_if([receiver](const Connection& c) { return c.receiver == receiver; });
    }

private:
    struct Connection {
        has_slots<mt_policy>* receiver;
        std::uint64_t id;
        std::function<void(Args...)> call;
    };
    std::list<Connection> connections_;
    std::uint64_t lastId_ = 0;
};

template <class mt_policy = multi_threaded_local>
class signal0 : public _signal<mt_policy> {};

template <class arg1_type, class mt_policy = multi_threaded_local>
class signal1 : public _signal<mt_policy, arg1_type> {};

}  // namespace sigslot
