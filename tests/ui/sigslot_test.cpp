// Signals reach their receivers synchronously and in order, and neither side can call into
// the other after it is gone, also when slots change the connections mid-emission.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui/sigslot.h"

namespace {

struct Journal {
    std::vector<std::string> lines;
};

struct Receiver : sigslot::has_slots<> {
    Receiver(Journal& j, std::string n) : journal(j), name(std::move(n)) {}
    void Clicked() { journal.lines.push_back(name + " clicked"); }
    void Selected(int index) { journal.lines.push_back(name + " " + std::to_string(index)); }
    Journal& journal;
    std::string name;
};

TEST(Sigslot, DeliversInConnectionOrderWithTheArgument)
{
    Journal j;
    Receiver a(j, "a"), b(j, "b");
    sigslot::signal0<> click;
    sigslot::signal1<int> select;
    click.connect(&b, &Receiver::Clicked);
    click.connect(&a, &Receiver::Clicked);
    select.connect(&a, &Receiver::Selected);
    click();
    select.emit(3);
    EXPECT_EQ(j.lines, (std::vector<std::string>{"b clicked", "a clicked", "a 3"}));

    click.disconnect(&b);
    click();
    EXPECT_EQ(j.lines.back(), "a clicked");
    EXPECT_EQ(j.lines.size(), 4u);
}

TEST(Sigslot, EitherSideMayGoFirst)
{
    Journal j;
    sigslot::signal0<> click;
    {
        Receiver gone(j, "gone");
        click.connect(&gone, &Receiver::Clicked);
    }
    click();  // the destroyed receiver disconnected itself
    EXPECT_TRUE(j.lines.empty());

    Receiver stays(j, "stays");
    {
        sigslot::signal1<int> shortLived;
        shortLived.connect(&stays, &Receiver::Selected);
        shortLived(1);
    }
    // The receiver's destructor must not reach the destroyed signal (ASan catches it natively).
    EXPECT_EQ(j.lines, (std::vector<std::string>{"stays 1"}));
}

// A slot that destroys a later receiver, and one that disconnects itself.
struct Killer : sigslot::has_slots<> {
    std::unique_ptr<Receiver>* victim = nullptr;
    sigslot::signal0<>* signal = nullptr;
    int calls = 0;
    void KillVictim() { victim->reset(); }
    void Once()
    {
        ++calls;
        signal->disconnect(this);
    }
};

TEST(Sigslot, ChangesDuringAnEmissionAreSafe)
{
    Journal j;
    sigslot::signal0<> click;
    Killer killer;
    auto victim = std::make_unique<Receiver>(j, "victim");
    killer.victim = &victim;
    killer.signal = &click;
    click.connect(&killer, &Killer::KillVictim);
    click.connect(&killer, &Killer::Once);
    click.connect(victim.get(), &Receiver::Clicked);
    click();
    EXPECT_EQ(victim, nullptr);
    EXPECT_TRUE(j.lines.empty()) << "a receiver destroyed mid-emission was called";
    EXPECT_EQ(killer.calls, 1);
    click();  // killer disconnected all its slots, victim is gone
    EXPECT_EQ(killer.calls, 1);
}

struct Counter : sigslot::has_slots<> {
    std::atomic<int> hits{0};
    void Hit(int) { ++hits; }
};

TEST(Sigslot, ConnectionsAndEmissionsFromSeveralThreads)
{
    sigslot::signal1<int> signal;
    Counter steady;
    signal.connect(&steady, &Counter::Hit);
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        while (!stop) {
            Counter passing;
            signal.connect(&passing, &Counter::Hit);
        }  // destroyed while the other thread emits
    });
    for (int i = 0; i < 20000; ++i) signal(i);
    stop = true;
    churn.join();
    EXPECT_EQ(steady.hits, 20000);
}

}  // namespace
