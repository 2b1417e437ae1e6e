#!/usr/bin/env bash
# Every deliverable must load on the systems it is for (Windows 95 to XP):
# the loader refuses a program or DLL that imports a function the system's
# DLL lacks. Fails when the file imports one of the kernel32 functions that
# arrived with XP or later and that the static runtime is known to reach for,
# or when it imports from one of the DLLs given after it: those it binds at
# the first call, so that they do not load with it.
#   check_imports.sh OBJDUMP FILE [DLL...]
set -u
objdump="$1"
exe="$2"
shift 2
imports="$("$objdump" -p "$exe" | awk '
  /DLL Name:/ { dll = toupper($3); next }
  /^[[:space:]]*$/ { dll = "" }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF == 3 { print dll ":" $3 }')"
[ -n "$imports" ] || { echo "no imports read from $exe"; exit 1; }
echo "imports: $(echo "$imports" | wc -l)"
echo "$imports" | grep '^KERNEL32' | head -n 3
newer='GetTickCount64 AddVectoredExceptionHandler RemoveVectoredExceptionHandler
  AddVectoredContinueHandler RemoveVectoredContinueHandler
  InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared ReleaseSRWLockExclusive
  ReleaseSRWLockShared TryAcquireSRWLockExclusive InitializeConditionVariable
  SleepConditionVariableCS SleepConditionVariableSRW WakeConditionVariable
  WakeAllConditionVariable InitOnceExecuteOnce InitOnceBeginInitialize InitOnceComplete
  InitializeCriticalSectionEx FlsAlloc FlsFree FlsGetValue FlsSetValue
  CreateEventExA CreateEventExW CreateSemaphoreExW CreateMutexExW
  GetSystemTimePreciseAsFileTime GetCurrentProcessorNumber GetLogicalProcessorInformation
  GetFileInformationByHandleEx SetFileInformationByHandle CancelIoEx'
bad=0
for name in $newer; do
  if echo "$imports" | grep -qx "KERNEL32.DLL:$name"; then
    echo "FAIL imports KERNEL32.DLL:$name"
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "ok   no kernel32 import newer than the target systems"
for dll in "$@"; do
  dll="$(echo "$dll" | tr '[:lower:]' '[:upper:]')"
  if echo "$imports" | grep -q "^$dll:"; then
    echo "FAIL imports from $dll at load: $(echo "$imports" | grep "^$dll:" | cut -d: -f2 | tr '\n' ' ')"
    bad=1
  else
    echo "ok   nothing imported from $dll at load"
  fi
done
exit "$bad"
