// Prints the array that main received, element by element, so that blanks, empty strings and
// null elements can be told apart.
package lanyardtest;

import java.nio.charset.StandardCharsets;

public final class Arguments {
    private Arguments() {
    }

    static void print(String[] args) {
        if (args == null) {
            System.out.println("args: null");
            return;
        }
        System.out.println("args: " + args.length);
        for (int i = 0; i < args.length; ++i) {
            System.out.println("arg " + i + ": " + show(args[i]));
        }
        System.out.flush();
    }

    static String show(String value) {
        if (value == null) {
            return "null";
        }
        StringBuilder codes = new StringBuilder();
        for (char c : value.toCharArray()) {
            if (c >= 0x80) {
                codes.append(String.format(" U+%04X", (int) c));
            }
        }
        return "[" + value + "]" + codes;
    }

    public static void main(String[] args) {
        print(args);
    }
}
