// A non-owning reference to something callable, for parameters that are called during the call
// and never kept. Unlike std::function it allocates nothing and needs no manager, no type
// information and no destructor call at every call site: the property visitors take hundreds of
// lambdas, and each std::function of them cost a program about a hundred bytes.
#pragma once
#include <memory>
#include <type_traits>
#include <utility>

template <class Signature>
class TFunctionRef;

template <class R, class... Args>
class TFunctionRef<R(Args...)> {
public:
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TFunctionRef> &&
                                                std::is_invocable_r_v<R, F&, Args...>>>
    TFunctionRef(F&& f) noexcept  // NOLINT: converting, as std::function is
        : FObject(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          FCall([](void* object, Args... args) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(object))(std::forward<Args>(args)...);
          }) {}

    R operator()(Args... args) const { return FCall(FObject, std::forward<Args>(args)...); }

private:
    void* FObject;
    R (*FCall)(void*, Args...);
};
