// A class without any main method.
package lanyardtest;

public final class NoMain {
    public static void run(String[] args) {
        System.out.println("NoMain.run must not be called");
    }
}
