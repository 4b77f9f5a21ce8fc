// Prints the arguments it receives and returns.
package lanyardtest;

public final class Echo {
    public static void main(String[] args) {
        Arguments.print(args);
    }
}
