// A main that lets an exception escape (holding, see Hold).
package lanyardtest;

public final class Throws {
    public static void main(String[] args) {
        System.out.println("Throws.main runs");
        System.out.flush();
        Hold.ifAsked();
        throw new IllegalStateException("thrown by main");
    }
}
