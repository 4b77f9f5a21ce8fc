// The bundled sample application: what the launcher starts in place of the real Quillet.
package com.obel.dorntools.quillet;

import java.awt.BorderLayout;
import java.awt.GraphicsEnvironment;
import java.util.Arrays;
import javax.swing.BorderFactory;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

public final class StartQuillet {
    private StartQuillet() {
    }

    /**
     * Starts the sample. The launcher passes "~CVersion". The window is built and shown before
     * main returns, so that it stands on the screen when the launcher takes its splash away;
     * it then lives on the event thread, as a real desktop application's does.
     */
    public static void main(String[] args) throws Exception {
        String received = Arrays.toString(args);
        System.out.println("Quillet sample started with " + received);
        System.out.flush();
        if (GraphicsEnvironment.isHeadless()) {
            return;
        }
        SwingUtilities.invokeAndWait(() -> show(received));
    }

    private static void show(String received) {
        JFrame frame = new JFrame("Quillet sample application");
        frame.setDefaultCloseOperation(WindowConstants.DO_NOTHING_ON_CLOSE);
        JPanel panel = new JPanel(new BorderLayout(8, 8));
        panel.setBorder(BorderFactory.createEmptyBorder(16, 16, 16, 16));
        panel.add(new JLabel("Started by the launcher with " + received), BorderLayout.CENTER);
        JButton done = new JButton("Done");
        done.addActionListener(e -> finish(frame));
        panel.add(done, BorderLayout.SOUTH);
        frame.getRootPane().setDefaultButton(done);
        frame.getContentPane().add(panel);
        frame.addWindowListener(new java.awt.event.WindowAdapter() {
            @Override
            public void windowClosing(java.awt.event.WindowEvent e) {
                finish(frame);
            }
        });
        frame.pack();
        frame.setLocationRelativeTo(null);
        frame.setVisible(true);
    }

    // Signals the hosting launcher, then ends the process that hosts the virtual machine.
    private static void finish(JFrame frame) {
        try {
            CReturn.setRC(0, 0);
        } catch (UnsatisfiedLinkError | IllegalStateException e) {
            System.err.println("Quillet sample: no launcher to signal: " + e.getMessage());
        }
        frame.dispose();
        System.exit(0);
    }
}
