// Static main methods of other signatures only: one taking a String, one returning a result.
package lanyardtest;

public final class OtherMain {
    public static void main(String arg) {
        System.out.println("OtherMain.main(String) must not be called");
    }

    public static int main(String[] args) {
        System.out.println("OtherMain.main(String[]) returning int must not be called");
        return 0;
    }
}
