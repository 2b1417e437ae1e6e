#include "kbdrelay/win/procedure_gate.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace kbdrelay {

// The gate's counters, what its code calls, and the code itself, in one
// block of memory that is never part of the library's image.
struct ProcedureGate::Block {
    volatile LONG inside;  // calls between the gate's entry and their return
    volatile LONG closed;
    WNDPROC target;
    WNDPROC fallback;
    HANDLE drained;        // set by the last call to leave a closed gate
    void* setEvent;
    unsigned char code[112];
};

namespace {

// Writes 32-bit x86 code into the block.
class Code {
public:
    explicit Code(unsigned char* at) : begin_(at), at_(at) {}

    void bytes(std::initializer_list<unsigned char> list)
    {
        for (unsigned char b : list)
            *at_++ = b;
    }
    void address(const volatile void* field)
    {
        const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(field));
        for (int i = 0; i < 4; ++i)
            *at_++ = static_cast<unsigned char>(value >> (8 * i));
    }
    std::size_t here() const { return static_cast<std::size_t>(at_ - begin_); }
    // A short jump's displacement, written once the jump's target is known.
    void patch(std::size_t jumpEnd, std::size_t target)
    {
        begin_[jumpEnd - 1] = static_cast<unsigned char>(static_cast<int>(target) - static_cast<int>(jumpEnd));
    }
    // The procedure's four arguments again, for a call of the same kind.
    void pushArguments()
    {
        for (int i = 0; i < 4; ++i)
            bytes({0xFF, 0x74, 0x24, 0x10});  // push dword [esp+16]
    }

private:
    unsigned char* begin_;
    unsigned char* at_;
};

}  // namespace

bool ProcedureGate::open(WNDPROC target)
{
    static_assert(sizeof(void*) == 4, "the gate's code is 32-bit x86");
    void* memory = VirtualAlloc(nullptr, sizeof(Block), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (memory == nullptr)
        return false;
    auto* block = static_cast<Block*>(memory);
    block->drained = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (block->drained == nullptr) {
        VirtualFree(memory, 0, MEM_RELEASE);
        return false;
    }
    block->inside = 0;
    block->closed = 0;
    block->target = target;
    block->fallback = DefWindowProcA;
    block->setEvent = reinterpret_cast<void*>(SetEvent);

    Code code(block->code);
    code.bytes({0xF0, 0xFF, 0x05});  // lock inc dword [inside]
    code.address(&block->inside);
    code.bytes({0x83, 0x3D});        // cmp dword [closed], 0
    code.address(&block->closed);
    code.bytes({0x00});
    code.bytes({0x75, 0x00});        // jne closedPath
    const std::size_t toClosedPath = code.here();
    code.pushArguments();
    code.bytes({0xFF, 0x15});        // call [target]
    code.address(&block->target);
    const std::size_t leave = code.here();
    code.bytes({0xF0, 0xFF, 0x0D});  // lock dec dword [inside]
    code.address(&block->inside);
    code.bytes({0x75, 0x00});        // jnz done
    const std::size_t toDone1 = code.here();
    code.bytes({0x83, 0x3D});        // cmp dword [closed], 0
    code.address(&block->closed);
    code.bytes({0x00});
    code.bytes({0x74, 0x00});        // je done
    const std::size_t toDone2 = code.here();
    code.bytes({0x50});              // push eax (the procedure's result)
    code.bytes({0xFF, 0x35});        // push dword [drained]
    code.address(&block->drained);
    code.bytes({0xFF, 0x15});        // call [setEvent]
    code.address(&block->setEvent);
    code.bytes({0x58});              // pop eax
    const std::size_t done = code.here();
    code.bytes({0xC2, 0x10, 0x00});  // ret 16
    const std::size_t closedPath = code.here();
    code.pushArguments();
    code.bytes({0xFF, 0x15});        // call [fallback]
    code.address(&block->fallback);
    code.bytes({0xEB, 0x00});        // jmp leave
    const std::size_t back = code.here();
    code.patch(toClosedPath, closedPath);
    code.patch(toDone1, done);
    code.patch(toDone2, done);
    code.patch(back, leave);
    FlushInstructionCache(GetCurrentProcess(), block->code, code.here());
    block_ = block;
    return true;
}

WNDPROC ProcedureGate::entry() const
{
    return block_ != nullptr ? reinterpret_cast<WNDPROC>(static_cast<void*>(block_->code)) : nullptr;
}

void ProcedureGate::close(bool waitForCalls)
{
    if (block_ == nullptr)
        return;
    // A call that counts itself in after this sees the gate closed; one
    // that counted itself in before is seen here and waited for.
    InterlockedExchange(&block_->closed, 1);
    if (waitForCalls && block_->inside != 0)
        WaitForSingleObject(block_->drained, INFINITE);
}

void ProcedureGate::release(bool callsPossible)
{
    if (block_ == nullptr)
        return;
    if (!callsPossible && block_->inside == 0) {
        CloseHandle(block_->drained);
        VirtualFree(block_, 0, MEM_RELEASE);
    }
    block_ = nullptr;
}

}  // namespace kbdrelay
