// The root object class and events as named callables (the name is what a form resource stores).
#pragma once
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#define KESTRIN_CLASS(Name) \
    static const char* StaticClassName() { return #Name; } \
    const char* ClassName() const override { return #Name; }

class TObject {
public:
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

template <class... Args>
struct TEvent {
    std::string Name;                       // handler name as streamed; empty for anonymous handlers
    std::function<void(Args...)> Handler;

    TEvent() = default;
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> &&
                                                !std::is_same_v<std::decay_t<F>, TEvent>>>
    TEvent(F fn) : Handler(std::move(fn)) {}
    TEvent(std::string name, std::function<void(Args...)> fn) : Name(std::move(name)), Handler(std::move(fn)) {}
    explicit operator bool() const { return static_cast<bool>(Handler); }
    void operator()(Args... args) const { if (Handler) Handler(args...); }
};

using TNotifyEvent = TEvent<TObject*>;
