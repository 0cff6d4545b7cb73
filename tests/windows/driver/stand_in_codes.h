/* Control codes of the stand-in trace driver, shared by the driver and the
 * program that the tests use to prepare it. Include after <ntddk.h> or
 * <windows.h> and <winioctl.h>, which define CTL_CODE. */
#ifndef AMBERTAP_STAND_IN_CODES_H
#define AMBERTAP_STAND_IN_CODES_H

/* The two requests that ambertap.exe makes: plain numbers, so the read has
 * the METHOD_BUFFERED transfer bits (100 & 3 == 0) and the clear those of
 * METHOD_IN_DIRECT (101 & 3 == 1). */
#define TRACE_READ_CODE 100u
#define TRACE_CLEAR_CODE 101u

/* Test-only requests. LOAD_TRACE replaces the trace with the input bytes
 * and disarms the three below;
 * PEND_NEXT_READ makes the next read complete about 50 ms after it was
 * issued; OVERFLOW_NEXT_READ makes the next read, when the trace is longer
 * than its buffer, copy what fits and complete with STATUS_BUFFER_OVERFLOW;
 * FAIL_NEXT_REQUEST makes the next read or clear fail with the NTSTATUS given
 * as a 4-byte input; APPEND_RECORDS appends the whole records of the input
 * to the trace, as the driver traces messages while a program reads, and
 * drops each that the trace has no room for, as a driver whose buffer is
 * full stops tracing. */
#define STAND_IN_LOAD_TRACE CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define STAND_IN_PEND_NEXT_READ \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x801, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define STAND_IN_FAIL_NEXT_REQUEST \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x802, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define STAND_IN_OVERFLOW_NEXT_READ \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x803, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define STAND_IN_APPEND_RECORDS \
    CTL_CODE(FILE_DEVICE_UNKNOWN, 0x804, METHOD_BUFFERED, FILE_ANY_ACCESS)

/* The most trace bytes the driver holds. */
#define STAND_IN_TRACE_CAPACITY 65536u

#define STAND_IN_PENDING_DELAY_MS 50

#endif
