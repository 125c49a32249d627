"""Runs the x86 thunk code that the generator makes in an x86 emulator, as a 32-bit caller would
call it, and checks what the operation receives and what the caller gets back.

  x86_thunk_test.py WINE_RUN CODE_PROGRAM

CODE_PROGRAM (x86_thunk_code.exe, an x64 program run under Wine through WINE_RUN) writes the
generated code bytes; the machine runs no 32-bit code itself.
"""

import struct
import subprocess
import sys
import unittest

from unicorn import UC_ARCH_X86, UC_HOOK_CODE, UC_MODE_32, Uc
from unicorn.x86_const import (UC_X86_REG_EAX, UC_X86_REG_EBP, UC_X86_REG_EBX, UC_X86_REG_ECX,
                               UC_X86_REG_EDI, UC_X86_REG_ESI, UC_X86_REG_ESP,
                               UC_X86_REG_FPCW)

OBJECT = 0x5EC0_0B1E
CODE = 0x0001_0000      # the thunk
RETURN = 0x0001_8000    # where the caller continues (the emulation stops there)
OPERATION = 0x0003_0000  # the fake operation
STACK = 0x0010_0000
STACK_SIZE = 0x0001_0000
CALLER_ESP = STACK + 0xF000
RESULT = 0x7E5_017ED

# What the caller holds when it calls; the thunk must give every one but eax and edx back.
CALLER_REGISTERS = {
    UC_X86_REG_EBX: 0x1111_1111, UC_X86_REG_ECX: 0x2222_2222, UC_X86_REG_ESI: 0x3333_3333,
    UC_X86_REG_EDI: 0x4444_4444, UC_X86_REG_EBP: 0x5555_5555,
}
CALLER_FPCW = 0x027F   # 53-bit precision; the thunk runs the operation with fninit's 0x037F
OPERATION_FPCW = 0x037F

# (arguments, pass ecx, caller cleans, operation removes its own arguments)
CASES = [
    (0, False, False, True), (0, True, True, False), (1, False, False, True),
    (1, True, False, False), (4, False, False, False), (4, True, True, True),
    (4, False, True, True), (7, True, False, True), (256, False, False, True),
    (256, True, True, False),
]

# Argument counts the generator refuses: (arguments, pass ecx, caller cleans).
INVALID = [(-1, False, False), (257, True, False)]


def argument(n, i):
    return (0xA000_0000 + 0x0001_0001 * i + n) & 0xFFFF_FFFF


def generated_code(wine_run, program, cases):
    case_arguments = ["%d:%d:%d" % (n, int(ecx), int(cleans)) for n, ecx, cleans in cases]
    out = subprocess.run(["bash", wine_run, program, hex(OBJECT), hex(OPERATION)] + case_arguments,
                         check=True, capture_output=True, text=True, timeout=120).stdout
    lines = [line.strip() for line in out.splitlines() if line.strip()]
    if len(lines) != len(cases):
        raise RuntimeError("x86_thunk_code wrote %d lines for %d cases:\n%s"
                           % (len(lines), len(cases), out))
    return [b"" if line == "empty" else bytes.fromhex(line) for line in lines]


def fake_operation(received_count, removes_arguments):
    """mov eax, RESULT; mov ecx/edx, junk (both are the caller's to lose); ret [N]."""
    code = b"\xB8" + struct.pack("<I", RESULT)
    code += b"\xB9" + struct.pack("<I", 0xDEAD_BEEF) + b"\xBA" + struct.pack("<I", 0xFEED_FACE)
    if removes_arguments:
        return code + b"\xC2" + struct.pack("<H", 4 * received_count)
    return code + b"\xC3"


class Call:
    """One call of the thunk: what the operation saw and the state after the thunk returned."""

    def __init__(self, code, n, removes_arguments, pass_ecx):
        self.received_count = 1 + int(pass_ecx) + n
        self.arguments = [argument(n, i) for i in range(n)]
        uc = Uc(UC_ARCH_X86, UC_MODE_32)
        uc.mem_map(CODE, 0x0001_0000)
        uc.mem_map(OPERATION, 0x1000)
        uc.mem_map(STACK, STACK_SIZE)
        uc.mem_write(CODE, code)
        uc.mem_write(RETURN, b"\xF4")  # hlt: never reached, the emulation stops first
        uc.mem_write(OPERATION, fake_operation(self.received_count, removes_arguments))
        # The caller pushes its arguments right to left, then the return address.
        esp = CALLER_ESP - 4 * n
        uc.mem_write(esp, b"".join(struct.pack("<I", a) for a in self.arguments))
        esp -= 4
        uc.mem_write(esp, struct.pack("<I", RETURN))
        uc.reg_write(UC_X86_REG_ESP, esp)
        for register, value in CALLER_REGISTERS.items():
            uc.reg_write(register, value)
        uc.reg_write(UC_X86_REG_EAX, 0x0BAD_0BAD)
        uc.reg_write(UC_X86_REG_FPCW, CALLER_FPCW)
        self.operation_calls = []
        uc.hook_add(UC_HOOK_CODE, self._operation_entered, begin=OPERATION, end=OPERATION)
        uc.emu_start(CODE, RETURN, count=100_000)
        self.esp = uc.reg_read(UC_X86_REG_ESP)
        self.eax = uc.reg_read(UC_X86_REG_EAX)
        self.registers = {r: uc.reg_read(r) for r in CALLER_REGISTERS}
        self.fpcw = uc.reg_read(UC_X86_REG_FPCW)
        self.caller_arguments = list(struct.unpack(
            "<%dI" % n, uc.mem_read(CALLER_ESP - 4 * n, 4 * n)))

    def _operation_entered(self, uc, address, size, user_data):
        esp = uc.reg_read(UC_X86_REG_ESP)
        words = struct.unpack("<%dI" % (1 + self.received_count),
                              uc.mem_read(esp, 4 * (1 + self.received_count)))
        cell = struct.unpack("<I", uc.mem_read(words[1], 4))[0]
        self.operation_calls.append({
            "return_into_thunk": CODE <= words[0] < RETURN, "cell": cell,
            "arguments": list(words[2:]), "fpcw": uc.reg_read(UC_X86_REG_FPCW),
        })


class X86ThunkCodeRuns(unittest.TestCase):
    wine_run = None
    program = None

    @classmethod
    def setUpClass(cls):
        # One run of the program for every case: Wine takes a while to start.
        codes = generated_code(cls.wine_run, cls.program, [c[:3] for c in CASES] + INVALID)
        cls.codes, cls.invalid_codes = codes[:len(CASES)], codes[len(CASES):]

    def test_the_operation_gets_the_cell_the_callers_ecx_and_arguments_and_the_caller_its_result(self):
        for (n, pass_ecx, caller_cleans, removes), code in zip(CASES, self.codes):
            with self.subTest(arguments=n, pass_ecx=pass_ecx, caller_cleans=caller_cleans,
                              operation_removes_its_arguments=removes):
                call = Call(code, n, removes, pass_ecx)
                self.assertEqual(len(call.operation_calls), 1)
                seen = call.operation_calls[0]
                self.assertTrue(seen["return_into_thunk"])
                self.assertEqual(seen["cell"], OBJECT)
                expected = ([CALLER_REGISTERS[UC_X86_REG_ECX]] if pass_ecx else []) + call.arguments
                self.assertEqual([hex(a) for a in seen["arguments"]], [hex(a) for a in expected])
                self.assertEqual(seen["fpcw"], OPERATION_FPCW)

                self.assertEqual(call.eax, RESULT)
                # stdcall: the thunk removes the caller's arguments; otherwise the caller does.
                remaining = 4 * n if caller_cleans else 0
                self.assertEqual(call.esp, CALLER_ESP - remaining)
                self.assertEqual({r: hex(v) for r, v in call.registers.items()},
                                 {r: hex(v) for r, v in CALLER_REGISTERS.items()})
                self.assertEqual(call.fpcw, CALLER_FPCW)
                self.assertEqual(call.caller_arguments, call.arguments)

    def test_no_code_for_a_negative_count_or_more_than_256_arguments(self):
        self.assertEqual(self.invalid_codes, [b""] * len(INVALID))


def main():
    X86ThunkCodeRuns.wine_run, X86ThunkCodeRuns.program = sys.argv[1:3]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)


if __name__ == "__main__":
    main()
