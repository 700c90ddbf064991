#pragma once

#include <concepts>
#include <functional>
#include <utility>

// A window built when it is first needed, with what its owner sets up on it then. A window given ready-made
// is simply kept (and set up as soon as its owner asks).
template <class Form> class LazyForm {
  public:
    LazyForm() = default;
    LazyForm(Form* built) : form_(built) {}
    template <std::invocable Make>
    LazyForm(Make make) requires std::convertible_to<std::invoke_result_t<Make>, Form*>
        : make_(std::move(make)) {}

    // The window, built now when it was not yet; null when there is none to build.
    Form* Get() {
        if (!form_ && make_) {
            form_ = std::exchange(make_, nullptr)();
            if (form_ && setUp_) setUp_(form_);
        }
        return form_;
    }
    // The window if it has been built.
    Form* Built() const { return form_; }
    // Runs on the window when it is built, or at once when it already is.
    void SetUp(std::function<void(Form*)> setUp) {
        setUp_ = std::move(setUp);
        if (form_ && setUp_) setUp_(form_);
    }

  private:
    std::function<Form*()> make_;
    std::function<void(Form*)> setUp_;
    Form* form_ = nullptr;
};
