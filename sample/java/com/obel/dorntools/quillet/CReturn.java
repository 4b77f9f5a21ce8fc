// The Java application's return-code signal to the native program that hosts it.
package com.obel.dorntools.quillet;

public final class CReturn {
    static {
        // The bridge is already loaded by the hosting program; this binds setRC to it.
        System.loadLibrary("lanyard");
    }

    private CReturn() {
    }

    /**
     * Posts the return-code event to the hosting program's registered window. The two values
     * are not carried: every call posts the same event. Does nothing when no window is
     * registered; throws IllegalStateException when the event cannot be posted.
     */
    public static native void setRC(int a, int b);
}
