// Prints the arguments it receives and returns (holding, see Hold).
package lanyardtest;

public final class Echo {
    public static void main(String[] args) {
        Arguments.print(args);
        Hold.ifAsked();
    }
}
