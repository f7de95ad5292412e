// Runs a short automatic sequence on a Kivra shutter controller and waits
// until it has finished, through P/Invoke.
//
//   ShutterSequence.exe [port]      (default: the first port listed)
//
// Windows: put KivraLibrary.dll (the 64-bit or the 32-bit reduced build, to
// match the process) beside the program; csc ShutterSequence.cs
// Linux with Mono: mcs ShutterSequence.cs, then run with LD_LIBRARY_PATH
// pointing at the folder of libKivraLibrary.so.
using System;
using System.Diagnostics;
using System.Runtime.InteropServices;
using System.Text;
using System.Threading;

static class Kivra
{
    const string Library = "KivraLibrary";

    // Port names travel as bytes in the system's code page.
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int listPorts(byte[] buffer, int size);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int openSerial(byte[] portName);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int closeSerial(int handle);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int setShutterMode(int handle, int value);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int setShutterState(int handle, int value);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int setShutterOnTime(int handle, int value);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int setShutterOffTime(int handle, int value);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int setShutterCycleCount(int handle, int value);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern float getFrequency(int handle);
    [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
    public static extern int getSerialNumber(int handle, byte[] buffer, int size);
}

static class ShutterSequence
{
    // Named values of KivraLibrary.h, which P/Invoke cannot read.
    const int KIVRA_MODE_MANUAL = 1, KIVRA_MODE_AUTO = 3, KIVRA_STATE_OPEN = 1,
        KIVRA_TEXT_FIELD_SIZE = 32;

    static void Check(string what, int result)
    {
        if (result < 0)
            throw new Exception(what + " failed: " + result);
    }

    static string Text(byte[] bytes)
    {
        int end = Array.IndexOf(bytes, (byte)0);
        return Encoding.ASCII.GetString(bytes, 0, end < 0 ? bytes.Length : end);
    }

    static int Main(string[] args)
    {
        var list = new byte[1024];
        if (Kivra.listPorts(list, list.Length) < 0) {
            Console.Error.WriteLine("listPorts failed");
            return 1;
        }
        string[] ports = Text(list).Split(new[] { ',' }, StringSplitOptions.RemoveEmptyEntries);
        string port = args.Length > 0 ? args[0] : ports.Length > 0 ? ports[0] : "";
        int handle = Kivra.openSerial(Encoding.ASCII.GetBytes(port + "\0"));
        if (handle <= 0) {
            Console.Error.WriteLine("cannot open " + port);
            return 1;
        }
        try {
            var serial = new byte[KIVRA_TEXT_FIELD_SIZE];
            Check("getSerialNumber",
                  Kivra.getSerialNumber(handle, serial, KIVRA_TEXT_FIELD_SIZE));
            Console.WriteLine("opened " + port + ", serial number " + Text(serial));

            // A sequence: mode, times, count, then open.
            Check("setShutterMode", Kivra.setShutterMode(handle, KIVRA_MODE_AUTO));
            Check("setShutterOnTime", Kivra.setShutterOnTime(handle, 20));
            Check("setShutterOffTime", Kivra.setShutterOffTime(handle, 30));
            Check("setShutterCycleCount", Kivra.setShutterCycleCount(handle, 10));
            Check("setShutterState", Kivra.setShutterState(handle, KIVRA_STATE_OPEN));
            Console.WriteLine("running at " + Kivra.getFrequency(handle) + " Hz");

            // The frequency reads 0 once the last cycle is over.
            var clock = Stopwatch.StartNew();
            float hz;
            while ((hz = Kivra.getFrequency(handle)) > 0) {
                if (clock.ElapsedMilliseconds > 5000)
                    throw new Exception("the sequence did not finish");
                Thread.Sleep(50);
            }
            if (hz < 0)
                throw new Exception("getFrequency failed: " + hz);
            Console.WriteLine("finished after about " + clock.ElapsedMilliseconds + " ms");
            Check("setShutterMode", Kivra.setShutterMode(handle, KIVRA_MODE_MANUAL));
            return 0;
        } catch (Exception e) {
            Console.Error.WriteLine(e.Message);
            return 1;
        } finally {
            Kivra.closeSerial(handle);
        }
    }
}
