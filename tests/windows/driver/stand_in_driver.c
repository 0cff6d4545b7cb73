/* A stand-in for the adapter driver's trace interface, loaded by Wine as a
 * kernel-driver service so that ambertap.exe is tested against a real device
 * object. It creates \Device\OV7100D, reachable as \\.\OV7100D, holds the
 * trace bytes that a test loads or appends while a program reads, answers
 * the read and clear requests, and on request delays the next read, makes it
 * report a trace longer than its buffer, or fails the next read or clear. */
#include <ntddk.h>

#include "stand_in_codes.h"

/* The kernel calls the routines it is given (entry, dispatch, unload, DPC)
 * with its own calling convention, NTAPI: stdcall on 32-bit x86. */
DRIVER_INITIALIZE DriverEntry;

static const WCHAR deviceName[] = L"\\Device\\OV7100D";
static const WCHAR linkName[] = L"\\DosDevices\\OV7100D";

/* Everything a test can arm lives here, guarded by `lock`: the requests come
 * from the dispatch thread, the delayed completion from the timer's DPC. */
static struct {
    KSPIN_LOCK lock;
    BOOLEAN pendNextRead;
    BOOLEAN overflowNextRead;
    BOOLEAN failNextRequest;
    NTSTATUS failureStatus;
    PIRP delayedRead;
    KTIMER delayTimer;
    KDPC delayDpc;
    ULONG length;
    UCHAR bytes[STAND_IN_TRACE_CAPACITY];
} trace;

static NTSTATUS completeRequest(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static ULONG inputLength(PIRP irp) {
    return IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.InputBufferLength;
}

static ULONG outputLength(PIRP irp) {
    return IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
}

/* Copies as much of the trace as the read's output buffer holds. The caller
 * holds the lock. Lengths decide, not pointers: a zero-length buffer may come
 * with a pointer that is not NULL. */
static ULONG copyTraceLocked(PIRP irp) {
    ULONG room = outputLength(irp);
    ULONG count = trace.length < room ? trace.length : room;
    if (count > 0) {
        RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, trace.bytes, count);
    }
    return count;
}

/* Copies what fits, as copyTraceLocked. A read armed to overflow whose buffer
 * the trace does not fit completes with STATUS_BUFFER_OVERFLOW, as drivers do
 * that return as much data as fits; the caller holds the lock. */
static NTSTATUS readTraceLocked(PIRP irp, ULONG* copied) {
    BOOLEAN overflow = trace.overflowNextRead && trace.length > outputLength(irp);
    trace.overflowNextRead = FALSE;
    *copied = copyTraceLocked(irp);
    return overflow ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
}

/* Whether a failure was armed; disarms it and gives its status. */
static BOOLEAN takeArmedFailureLocked(NTSTATUS* status) {
    if (!trace.failNextRequest) {
        return FALSE;
    }
    trace.failNextRequest = FALSE;
    *status = trace.failureStatus;
    return TRUE;
}

static VOID NTAPI completeDelayedRead(PKDPC dpc, PVOID context, PVOID argument1, PVOID argument2) {
    KIRQL irql;
    PIRP irp;
    ULONG copied = 0;
    NTSTATUS status = STATUS_SUCCESS;
    UNREFERENCED_PARAMETER(dpc);
    UNREFERENCED_PARAMETER(context);
    UNREFERENCED_PARAMETER(argument1);
    UNREFERENCED_PARAMETER(argument2);

    KeAcquireSpinLock(&trace.lock, &irql);
    irp = trace.delayedRead;
    trace.delayedRead = NULL;
    if (irp != NULL) {
        status = readTraceLocked(irp, &copied);
    }
    KeReleaseSpinLock(&trace.lock, irql);
    if (irp != NULL) {
        completeRequest(irp, status, copied);
    }
}

static NTSTATUS readTrace(PIRP irp) {
    KIRQL irql;
    NTSTATUS failure;
    NTSTATUS status;
    ULONG copied;
    if (inputLength(irp) != 0) {
        return completeRequest(irp, STATUS_INVALID_PARAMETER, 0);
    }
    KeAcquireSpinLock(&trace.lock, &irql);
    if (takeArmedFailureLocked(&failure)) {
        KeReleaseSpinLock(&trace.lock, irql);
        return completeRequest(irp, failure, 0);
    }
    if (trace.pendNextRead && trace.delayedRead == NULL) {
        LARGE_INTEGER due;
        due.QuadPart = -10000LL * STAND_IN_PENDING_DELAY_MS; /* relative, 100 ns units */
        trace.pendNextRead = FALSE;
        trace.delayedRead = irp;
        IoMarkIrpPending(irp);
        KeSetTimer(&trace.delayTimer, due, &trace.delayDpc);
        KeReleaseSpinLock(&trace.lock, irql);
        return STATUS_PENDING;
    }
    status = readTraceLocked(irp, &copied);
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, status, copied);
}

static NTSTATUS clearTrace(PIRP irp) {
    KIRQL irql;
    NTSTATUS failure;
    if (inputLength(irp) != 0 || outputLength(irp) != 0) {
        return completeRequest(irp, STATUS_INVALID_PARAMETER, 0);
    }
    KeAcquireSpinLock(&trace.lock, &irql);
    if (takeArmedFailureLocked(&failure)) {
        KeReleaseSpinLock(&trace.lock, irql);
        return completeRequest(irp, failure, 0);
    }
    trace.length = 0;
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

/* A load starts a test afresh: besides the trace, it disarms whatever an
 * earlier test armed and did not use, so that no test depends on the one
 * before it. */
static NTSTATUS loadTrace(PIRP irp) {
    KIRQL irql;
    ULONG length = inputLength(irp);
    if (length > STAND_IN_TRACE_CAPACITY) {
        return completeRequest(irp, STATUS_INVALID_BUFFER_SIZE, 0);
    }
    KeAcquireSpinLock(&trace.lock, &irql);
    if (length > 0) {
        RtlCopyMemory(trace.bytes, irp->AssociatedIrp.SystemBuffer, length);
    }
    trace.length = length;
    trace.pendNextRead = FALSE;
    trace.overflowNextRead = FALSE;
    trace.failNextRequest = FALSE;
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

/* Appends each whole record of the input that the trace has room for: a
 * direction byte, a length byte, that many message bytes. */
static NTSTATUS appendRecords(PIRP irp) {
    KIRQL irql;
    const UCHAR* input = irp->AssociatedIrp.SystemBuffer;
    ULONG length = inputLength(irp);
    ULONG at = 0;
    KeAcquireSpinLock(&trace.lock, &irql);
    while (length - at >= 2 && length - at - 2 >= input[at + 1]) {
        ULONG size = 2u + input[at + 1];
        if (STAND_IN_TRACE_CAPACITY - trace.length >= size) {
            RtlCopyMemory(trace.bytes + trace.length, input + at, size);
            trace.length += size;
        }
        at += size;
    }
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, at == length ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER, 0);
}

/* Arms one of the switches that the next read takes. */
static NTSTATUS armNextRead(PIRP irp, BOOLEAN* armed) {
    KIRQL irql;
    KeAcquireSpinLock(&trace.lock, &irql);
    *armed = TRUE;
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS failNextRequest(PIRP irp) {
    KIRQL irql;
    NTSTATUS status;
    if (inputLength(irp) != sizeof status) {
        return completeRequest(irp, STATUS_INVALID_PARAMETER, 0);
    }
    RtlCopyMemory(&status, irp->AssociatedIrp.SystemBuffer, sizeof status);
    KeAcquireSpinLock(&trace.lock, &irql);
    trace.failNextRequest = TRUE;
    trace.failureStatus = status;
    KeReleaseSpinLock(&trace.lock, irql);
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    UNREFERENCED_PARAMETER(device);
    switch (IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode) {
        case TRACE_READ_CODE:
            return readTrace(irp);
        case TRACE_CLEAR_CODE:
            return clearTrace(irp);
        case STAND_IN_LOAD_TRACE:
            return loadTrace(irp);
        case STAND_IN_PEND_NEXT_READ:
            return armNextRead(irp, &trace.pendNextRead);
        case STAND_IN_OVERFLOW_NEXT_READ:
            return armNextRead(irp, &trace.overflowNextRead);
        case STAND_IN_FAIL_NEXT_REQUEST:
            return failNextRequest(irp);
        case STAND_IN_APPEND_RECORDS:
            return appendRecords(irp);
        default:
            return completeRequest(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS NTAPI dispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    UNREFERENCED_PARAMETER(device);
    return completeRequest(irp, STATUS_SUCCESS, 0);
}

static VOID NTAPI unloadDriver(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    KIRQL irql;
    PIRP irp;
    KeCancelTimer(&trace.delayTimer);
    KeAcquireSpinLock(&trace.lock, &irql);
    irp = trace.delayedRead;
    trace.delayedRead = NULL;
    KeReleaseSpinLock(&trace.lock, irql);
    if (irp != NULL) {
        completeRequest(irp, STATUS_CANCELLED, 0);
    }
    RtlInitUnicodeString(&link, linkName);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    UNICODE_STRING device;
    UNICODE_STRING link;
    PDEVICE_OBJECT deviceObject;
    NTSTATUS status;
    UNREFERENCED_PARAMETER(registryPath);

    KeInitializeSpinLock(&trace.lock);
    KeInitializeTimer(&trace.delayTimer);
    KeInitializeDpc(&trace.delayDpc, completeDelayedRead, NULL);

    RtlInitUnicodeString(&device, deviceName);
    status = IoCreateDevice(driver, 0, &device, FILE_DEVICE_UNKNOWN, 0, FALSE, &deviceObject);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    RtlInitUnicodeString(&link, linkName);
    status = IoCreateSymbolicLink(&link, &device);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(deviceObject);
        return status;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = dispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchControl;
    driver->DriverUnload = unloadDriver;
    return STATUS_SUCCESS;
}
