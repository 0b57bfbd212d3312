#include "script_runner.h"

#include <chrono>
#include <cstdio>
#include <map>

#include "image_files.h"
#include "input/scripted_input.h"
#include "net/wire.h"
#include "screen/rgb_image.h"
#include "server_link.h"

namespace telorad::cli {

namespace {

using Clock = std::chrono::steady_clock;

class ScriptRun {
  public:
    ScriptRun(ServerLink& link, const std::map<std::string, RgbImage>& expected)
        : link_(link), expected_(expected), input_(link.client().connection) {}

    int Execute() {
        int result = kExitOk;
        for (const Action& action : link_.options().actions) {
            result = Perform(action);
            if (result != kExitOk) break;
        }
        const bool connected = link_.client().connection.socket != kNoSocket;
        if (connected && input_.AnythingHeld()) {
            std::fprintf(stderr, "telorad-cli: releasing the keys and buttons still held\n");
        }
        if (connected) input_.ReleaseEverything();
        if (connected) link_.LingerAndDisconnect();
        return result;
    }

  private:
    Client& client() { return link_.client(); }

    int Perform(const Action& a) {
        if (a.IsInput() && mode_ != MODE_CONTROL) SetMode(MODE_CONTROL);
        switch (a.kind) {
            case ActionKind::Key:
                for (std::uint8_t code : a.codes) input_.PressKey(code);
                for (auto code = a.codes.rbegin(); code != a.codes.rend(); ++code) {
                    input_.ReleaseKey(*code);
                }
                break;
            case ActionKind::KeyDown:
                for (std::uint8_t code : a.codes) input_.PressKey(code);
                break;
            case ActionKind::KeyUp:
                for (auto code = a.codes.rbegin(); code != a.codes.rend(); ++code) {
                    input_.ReleaseKey(*code);
                }
                break;
            case ActionKind::Type:
                Type(a.strokes);
                break;
            case ActionKind::Move:
                input_.MovePointer(static_cast<std::uint16_t>(a.x), static_cast<std::uint16_t>(a.y));
                break;
            case ActionKind::Click:
            case ActionKind::DoubleClick:
                for (int n = a.kind == ActionKind::Click ? 1 : 2; n > 0; --n) {
                    input_.PressButton(a.button.down, a.button.up);
                    input_.ReleaseButton(a.button.up);
                }
                break;
            case ActionKind::MouseDown:
                input_.PressButton(a.button.down, a.button.up);
                break;
            case ActionKind::MouseUp:
                input_.ReleaseButton(a.button.up);
                break;
            case ActionKind::Drag:
                input_.PressButton(a.button.down, a.button.up);
                input_.MovePointer(static_cast<std::uint16_t>(a.x), static_cast<std::uint16_t>(a.y));
                input_.ReleaseButton(a.button.up);
                break;
            case ActionKind::Pause:
                return Pause(a.pauseMs);
            case ActionKind::Capture:
            case ActionKind::RegionCapture:
                return Capture(a);
            case ActionKind::Expect:
                return Expect(a);
            case ActionKind::Command:
                SendCommand(client().connection, a.text);
                break;
            case ActionKind::Mode:
                SetMode(a.mode);
                break;
        }
        // Keep the picture current and notice a closed connection between actions.
        return link_.Drain();
    }

    void SetMode(std::uint32_t mode) {
        SendSetMode(client().connection, mode);
        mode_ = mode;
    }

    void Type(const std::vector<KeyStroke>& strokes) {
        for (const KeyStroke& stroke : strokes) {
            if (stroke.shift) {
                input_.PressKey(0x10);
                input_.PressKey(0xA0);
            }
            input_.PressKey(stroke.code);
            input_.ReleaseKey(stroke.code);
            if (stroke.shift) {
                input_.ReleaseKey(0xA0);
                input_.ReleaseKey(0x10);
            }
        }
    }

    int Pause(int ms) {
        const auto until = Clock::now() + std::chrono::milliseconds(ms);
        int failure = 0;
        while (Clock::now() < until) {
            if (link_.Poll(failure, until) < 0) return failure;
        }
        return kExitOk;
    }

    int Capture(const Action& a) {
        if (const int failed = link_.AwaitSettled()) return failed;
        if (a.kind == ActionKind::Capture) return WritePictureFile(a.text, client().framebuffer);
        ScreenBitmap region;
        if (!CopyBitmapRegion(client().framebuffer, a.x, a.y, a.width, a.height, region)) {
            std::fprintf(stderr, "telorad-cli: rcapture: %d x %d at %d,%d is not inside the %d x %d screen\n",
                         a.width, a.height, a.x, a.y, client().framebuffer.width,
                         client().framebuffer.height);
            return kExitCannotWrite;
        }
        return WritePictureFile(a.text, region);
    }

    // True when the screen (or its region at a.x, a.y) matches the picture.
    bool Matches(const Action& a, const RgbImage& want) {
        const ScreenBitmap& screen = client().framebuffer;
        int difference = -1;
        if (!a.hasRegion) {
            difference = LargestChannelDifference(BitmapToRgb(screen), want);
        } else {
            ScreenBitmap region;
            if (!CopyBitmapRegion(screen, a.x, a.y, want.width, want.height, region)) return false;
            difference = LargestChannelDifference(BitmapToRgb(region), want);
        }
        return difference >= 0 && difference <= a.tolerance;
    }

    int Expect(const Action& a) {
        const RgbImage& want = expected_.at(a.text);
        const auto until = Clock::now() + std::chrono::seconds(link_.options().expectTimeoutSeconds);
        std::uint64_t comparedAt = ~std::uint64_t{0};
        int failure = 0;
        for (;;) {
            // Compare once nothing more is waiting, and only after the picture changed.
            if (comparedAt != client().received.updates) {
                comparedAt = client().received.updates;
                if (Matches(a, want)) return kExitOk;
            }
            if (Clock::now() >= until) {
                std::fprintf(stderr, "telorad-cli: expect %s: no match within %d s\n", a.text.c_str(),
                             link_.options().expectTimeoutSeconds);
                return kExitExpectFailed;
            }
            int result = 0;
            do {
                result = link_.Poll(failure, until);
                if (result < 0) return failure;
            } while (result > 0 && Clock::now() < until);
        }
    }

    ServerLink& link_;
    const std::map<std::string, RgbImage>& expected_;
    ScriptedInput input_;
    std::uint32_t mode_ = MODE_MONITOR;  // what connecting announced
};

}  // namespace

int RunScript(const Options& options, const std::string& password) {
    std::map<std::string, RgbImage> expected;
    for (const Action& action : options.actions) {
        if (action.kind != ActionKind::Expect || expected.count(action.text)) continue;
        std::string error;
        if (!ReadPicture(action.text, expected[action.text], error)) {
            std::fprintf(stderr, "telorad-cli: expect: %s\n", error.c_str());
            return kExitUsage;
        }
    }
    ServerLink link(options, password);
    if (const int failed = link.Login()) return failed;
    ScriptRun run(link, expected);
    return run.Execute();
}

}  // namespace telorad::cli
